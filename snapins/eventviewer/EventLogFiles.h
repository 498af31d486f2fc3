// Save, Open and Clear of the Event Viewer: a log saved to a file on the
// managed machine (305) and, for the console's own disk, copied here in chunks
// (1) and discarded there (2); a saved file opened in the File tab from the
// managed machine (303) or uploaded from here first (307); a live log cleared
// (306), after a save when the user asks for one.
//
// The managed machine is not trusted with the console's disk: chunks are
// accepted only while our own copy runs, only as the next expected ones, and
// are written only to the file the user chose, through a temporary file that
// replaces it when the copy is complete.
#pragma once

#include "framework/FileTransfer.h"
#include "host/SnapInHost.h"

#include <optional>
#include <string>

namespace vantrel {

class CEventViewerSnapIn;

class CEventLogFiles {
public:
    explicit CEventLogFiles(CEventViewerSnapIn& owner) : owner_(owner) {}

    void Save();
    void Open();
    void Clear();

    void OnSaveAnswer(IHostMessage& answer, IMessageNode& root);    // 305
    void OnCopyAnswer(IHostMessage& answer, IMessageNode& root);    // 1
    void OnUploadAnswer(IHostMessage& answer, IMessageNode& root);  // 307
    void OnClearAnswer(IHostMessage& answer, IMessageNode& root);   // 306
    // The snap-in window has gone: a copy under way leaves no file behind.
    void Abandon();

private:
    struct SaveJob {
        int log = 0;
        bool toHost = false;
        std::string remoteFrom;      // the managed machine's file, once known
        std::string sentTo;          // "FileNameTo" as we sent it
        int16_t eventType = 0;       // what 1 carries: the log, 3 for a saved file
        std::optional<int> clearAfter;  // the log Clear empties once the save succeeded
    };

    // Runs the Save dialog and starts the save; false when the user cancelled.
    bool StartSave(std::optional<int> clearAfter);
    bool SendCopy();
    void FinishSave();
    void FailSave(IHostMessage* answer, bool localFile);
    void SendClear(int log);
    bool SendNextChunk();
    void FailUpload(const std::wstring& message);

    CEventViewerSnapIn& owner_;
    std::optional<SaveJob> save_;
    CFileDownload download_;
    CFileUpload upload_;
    std::optional<int> clearing_;  // the log the 306 on its way is for
};

}  // namespace vantrel
