// The account picker (dialog 12001 "Select Users"): the user chooses user and
// group accounts of the managed machine or of a domain, and the snap-in that
// opened it gets them back as XML elements.
//
// A snap-in that opens pickers owns one CAccountPickers. The picker's
// requests (command 3) carry the owner's snap-in number and go through the
// owner's request path, so their answers come to the owner: its HandleAnswer
// hands every answer of command 3 to CAccountPickers::OnAnswer, which gives
// it to the open picker it belongs to. An answer for a picker that has
// closed meanwhile ends the busy state its request began, with "Canceled".
#pragma once

#include "framework/SnapInBase.h"
#include "snapins/picker/model/PickerModel.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace vantrel {

class CAccountPickerDialog;

class CAccountPickers {
public:
    explicit CAccountPickers(CSnapInBase& owner);
    // Ends the pickers still open: their callers get OwnerGone.
    ~CAccountPickers();
    CAccountPickers(const CAccountPickers&) = delete;
    CAccountPickers& operator=(const CAccountPickers&) = delete;

    struct Result {
        enum class Outcome {
            Chosen,    // OK: `accounts` holds one element per added account, in list order
            Canceled,  // Cancel
            OwnerGone  // the owning snap-in was released meanwhile: touch nothing of it
        };
        Outcome outcome = Outcome::Canceled;
        std::unique_ptr<CXmlElement> accounts;
    };

    // Shows a picker over `parent` until the user ends it; at most `maximum`
    // accounts can be added.
    Result Choose(HWND parent, size_t maximum);

    // An answer of command 3 that the owner received.
    void OnAnswer(IHostMessage& answer, IMessageNode& root);

    size_t OpenCount() const { return open_.size(); }

private:
    friend class CAccountPickerDialog;

    CSnapInBase& owner_;
    std::vector<CAccountPickerDialog*> open_;
    // The domains a picker received completely; the next one lists them
    // without asking again.
    std::vector<picker::DomainEntry> knownDomains_;
    // Requests of pickers that have closed whose answers are still on their
    // way; each holds one busy state of the owner.
    int orphans_ = 0;
};

}  // namespace vantrel
