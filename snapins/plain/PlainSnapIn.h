// The module's neutral snap-in: learns the version of the remote host and
// otherwise shows a hint to choose a tool.
#pragma once

#include "framework/SnapInBase.h"
#include "snapins/plain/model/Protocol.h"

namespace vantrel {

class CPlainSnapIn final : public CSnapInBase {
public:
    static constexpr int32_t kId = plain::protocol::kSnapInId;

    explicit CPlainSnapIn(ISnapInHost* host) : CSnapInBase(host) {}

    int32_t VANTREL_CALL GetSnapInId() override { return kId; }
    HWND VANTREL_CALL Create(HWND parent) override;
    void VANTREL_CALL QuerySupported() override;
    void VANTREL_CALL OnConnected() override;

protected:
    void HandleAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
};

}  // namespace vantrel
