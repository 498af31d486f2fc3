// The Event Viewer: the Application, Security and System logs of the managed
// machine and a saved log file, one tab each, in owner-data lists filled in
// pages and, at protocol level 2, with details fetched as rows are shown.
#pragma once

#include "framework/Handles.h"
#include "framework/SnapInBase.h"
#include "snapins/eventviewer/EventLogFiles.h"
#include "snapins/eventviewer/EventLogPane.h"
#include "snapins/eventviewer/EventPropertiesDialog.h"
#include "snapins/eventviewer/LogPropertiesDialog.h"
#include "snapins/eventviewer/model/EventFilter.h"
#include "snapins/eventviewer/model/Categories.h"
#include "snapins/eventviewer/model/CommandStates.h"
#include "snapins/eventviewer/model/EventAnswers.h"
#include "snapins/eventviewer/model/EventCells.h"
#include "snapins/eventviewer/model/Protocol.h"

#include <array>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class CEventViewerSnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = eventviewer::protocol::kSnapInId;

    explicit CEventViewerSnapIn(ISnapInHost* host);
    ~CEventViewerSnapIn() override;

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    BOOL VANTREL_CALL TranslateAccelerator(MSG* message) override;
    void VANTREL_CALL OnFirstActivate() override;
    void VANTREL_CALL SaveViewSettings() override;
    void VANTREL_CALL UpdateCommands() override;
    void VANTREL_CALL OnToolBarEnabled() override;
    BOOL VANTREL_CALL OnContextMenuKey() override;
    void VANTREL_CALL ShowAnswerError(IHostMessage* answer, uint32_t messageId, uint32_t captionId) override;

    // ---- what the logs' panes need of the snap-in ----
    bool IndexedRetrieval() const { return protocolLevel_ == eventviewer::protocol::kIndexedLevel; }
    const eventviewer::DisplayTexts& Texts() const { return texts_; }
    const eventviewer::SortTexts& SortTexts() const { return sortTexts_; }
    const eventviewer::CategoryTable* CategoriesOf(int log) const;
    const eventviewer::LocalTimeConverter& LocalClock() const { return toLocal_; }
    // The saved log file that is open (empty: none) and its log type.
    const std::string& OpenFile() const { return openFile_; }
    int FileLogType() const { return fileLogType_; }
    std::wstring DateText(const eventviewer::EventRecord& record) const;
    std::wstring TimeText(const eventviewer::EventRecord& record) const;
    // Reloads a log with its current sort: Refresh rereads it, a new sort not.
    void Reload(int log, bool reread);
    // The shown log's commands may have changed (loading, rows, selection).
    void RefreshCommandStates();
    // A request of the Event Viewer is still waiting for its answer.
    bool AnyRequestOutstanding() const;

    // ---- what the dialogs need of the snap-in ----
    CEventLogPane& Pane(int log) { return *panes_[static_cast<size_t>(log)]; }
    int ShownLog() const { return shown_; }
    // The filter of a log (none: every event).
    const std::optional<eventviewer::EventFilter>& FilterOf(int log) const { return filters_[static_cast<size_t>(log)]; }
    // The filter's XML for the first page of 309; empty without a filter.
    std::string FilterText(int log) const;
    const eventviewer::TextCodec& Codec() const { return codec_; }
    // A log's rows were replaced or removed: the event properties look again.
    void OnRowsChanged(int log) { eventProperties_.OnRowsChanged(log); }
    void OpenEventProperties() { eventProperties_.OpenForSelection(); }
    const eventviewer::LogInfo& LogInfoOf(int log) const { return logInfo_[static_cast<size_t>(log)]; }
    // A moment as the user's locale writes a date and a time; empty without one.
    std::wstring DateTimeText(int64_t utcSeconds) const;
    // Stores a log's filter and reloads the log with it.
    void SetFilter(int log, const eventviewer::EventFilter& filter);
    // Command 304: the maximum size and retention of a live log.
    void SendLogProperties(int log, uint32_t maxSize, uint32_t retention);
    const std::vector<eventviewer::EventFilter>& Favorites() const { return favorites_; }
    void AddFavorite(eventviewer::EventFilter favorite);
    void RemoveFavorite(size_t position);
    // Save is offered for the shown log (on the File tab, for an open file).
    bool CanSave();
    // The File tab before a file is opened: its rows go, the type is kept.
    void PrepareFileLog(int logType);
    // Loads a saved file that is on the managed machine into the File tab.
    void LoadFileLog(std::string path);
    void ShowFileTab() { ShowLog(eventviewer::protocol::kFileLog); }

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    void OnCreateWindow() override;
    void OnCommand(UINT command) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    // ---- window ----
    void CreateMainDialog();
    void CreatePropertyDialogs();
    INT_PTR OnMainDialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LayoutControls();
    void LoadTexts();
    bool OfferToPropertyDialogs(MSG* message);

    // ---- logs ----
    CEventLogPane& Shown() { return *panes_[static_cast<size_t>(shown_)]; }
    void ShowLog(int log);
    void StartChain(int log);
    bool SendCategories(int log, eventviewer::CategoryPosition from);
    bool SendLogInfo(int log);
    void FailChain(int log, IHostMessage* answer, UINT messageId);
    void Refresh();
    void Stop();

    // ---- answers ----
    void OnSupportedAnswer(IMessageNode& root);
    void OnCategoriesAnswer(IHostMessage& answer, IMessageNode& root);
    void OnLogInfoAnswer(IHostMessage& answer, IMessageNode& root);
    void OnPageAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root);
    void OnDetailsAnswer(IHostMessage& answer, IMessageNode& root);
    void OnSetPropertiesAnswer(IHostMessage& answer, IMessageNode& root);
    // The log an answer of 302, 309 or 310 names, checked against the open file.
    std::optional<int> NamedLog(IMessageNode& root, const char* fileNode) const;

    // ---- commands ----
    eventviewer::ViewState CurrentViewState();
    void ApplyMenuStates(HMENU menu, const eventviewer::CommandStates& states);
    void UpdateToolBar();
    void ShowContextMenu(POINT screen);

    std::array<std::unique_ptr<CEventLogPane>, eventviewer::protocol::kLogCount> panes_;
    std::array<eventviewer::CategoryTable, eventviewer::protocol::kLiveLogCount> categories_;
    std::array<bool, eventviewer::protocol::kLiveLogCount> categoriesComplete_ = {};
    std::array<eventviewer::CategoryPosition, eventviewer::protocol::kLiveLogCount> categoriesSent_ = {};
    std::array<eventviewer::LogInfo, eventviewer::protocol::kLogCount> logInfo_;
    // Logs whose 301 or 303 is on its way, oldest first: an answer that does
    // not say which log it is for belongs to the oldest.
    std::deque<int> awaitingCategories_;
    std::deque<int> awaitingLogInfo_;

    int16_t protocolLevel_ = 0;
    int shown_ = eventviewer::protocol::kApplicationLog;
    std::string openFile_;
    int fileLogType_ = eventviewer::protocol::kApplicationLog;
    // The favourite filters as stored: written back as they came unless the
    // user changed the favourites.
    std::u16string favoriteFilters_;
    std::vector<eventviewer::EventFilter> favorites_;
    bool favoritesChanged_ = false;
    // What the 304 on its way set: the log's information once it succeeds.
    struct SentProperties {
        int log;
        uint32_t maxSize;
        uint32_t retention;
    };
    std::optional<SentProperties> sentProperties_;

    eventviewer::DisplayTexts texts_;
    eventviewer::SortTexts sortTexts_;
    eventviewer::LocalTimeConverter toLocal_;

    HWND dialog_ = nullptr;  // the main dialog, a child of the snap-in window
    HWND tabs_ = nullptr;
    SIZE initialSize_ = {};  // the dialog's client size when made: its smallest
    CEventPropertiesDialog eventProperties_{*this};
    std::array<std::optional<eventviewer::EventFilter>, eventviewer::protocol::kLogCount> filters_;
    eventviewer::TextCodec codec_;
    CLogPropertiesDialog logProperties_{*this};
    CEventLogFiles files_{*this};
};

}  // namespace vantrel
