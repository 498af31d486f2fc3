// A log's properties: the General page (its size limit and retention, sent
// with 304 when the user changed them) and the Filter page (the log's filter
// and the favourite filters). OK and Apply store the filter and reload the log.
#pragma once

#include "framework/Handles.h"
#include "snapins/eventviewer/model/EventFilter.h"
#include "snapins/eventviewer/model/LogSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class CEventViewerSnapIn;

class CLogPropertiesDialog {
public:
    explicit CLogPropertiesDialog(CEventViewerSnapIn& owner) : owner_(owner) {}
    ~CLogPropertiesDialog() { Destroy(); }
    CLogPropertiesDialog(const CLogPropertiesDialog&) = delete;
    CLogPropertiesDialog& operator=(const CLogPropertiesDialog&) = delete;

    void Create(HWND owner);
    void Destroy();
    HWND Window() const { return dialog_.get(); }

    // Fills both pages for the log and shows the dialog.
    void Open(int log);

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowPage(int page);

    void FillGeneral();
    void EnableDays();
    void FillFilter(const eventviewer::EventFilter& filter);
    void FillSources(const std::u16string& source);
    void FillCategories(uint16_t category);
    void FillRange(int comboId, int dateId, int timeId, uint32_t time, UINT firstText);
    void EnableRange(int comboId, int dateId, int timeId);
    void FillFavorites(int select);
    eventviewer::EventFilter ReadFilter() const;
    std::optional<uint32_t> ReadRange(int comboId, int dateId, int timeId) const;
    void AddFavorite();
    void DeleteFavorite();
    void ChooseFavorite();

    void Changed(bool general);
    bool Apply();

    CEventViewerSnapIn& owner_;
    UniqueWindow dialog_;
    HWND tabs_ = nullptr;
    HWND general_ = nullptr;
    HWND filter_ = nullptr;
    int log_ = 0;
    bool filling_ = false;
    bool generalChanged_ = false;
};

}  // namespace vantrel
