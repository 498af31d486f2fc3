#include "framework/ListingChain.h"

#include <utility>

namespace vantrel {

class CListingChain::Link final : public IListingClient {
public:
    Link(CSnapInBase& snapIn, CListingChain& chain, size_t index, const ListingWire& wire)
        : chain_(chain), index_(index), listing_(snapIn, *this, wire) {}

    CPagedListing& Listing() { return listing_; }

    void OnListingStarted() override { chain_.client_.OnChainListingStarted(index_); }
    bool MergePage(const CXmlElement& root) override { return chain_.client_.MergeChainPage(index_, root); }
    void OnListingEnded(ListingEnd end) override { chain_.OnLinkEnded(index_, end); }
    bool CanShowListing() const override { return chain_.client_.CanShowChain(); }

private:
    CListingChain& chain_;
    size_t index_;
    CPagedListing listing_;
};

CListingChain::CListingChain(CSnapInBase& snapIn, IListingChainClient& client, std::initializer_list<ListingWire> wires)
    : client_(client) {
    for (const ListingWire& wire : wires) links_.push_back(std::make_unique<Link>(snapIn, *this, links_.size(), wire));
}

CListingChain::~CListingChain() = default;

bool CListingChain::Running() const {
    if (next_) return true;
    for (const auto& link : links_)
        if (link->Listing().Running()) return true;
    return false;
}

void CListingChain::Start() {
    if (links_.empty()) return;
    if (Running()) {
        startAgain_ = true;
        return;
    }
    links_.front()->Listing().Start();
}

void CListingChain::OnLinkEnded(size_t link, ListingEnd end) {
    client_.OnChainListingEnded(link, end);
    if (end == ListingEnd::Done && link + 1 < links_.size())
        next_ = link + 1;
    else if (std::exchange(startAgain_, false))
        next_ = 0;
}

bool CListingChain::OnAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root) {
    bool taken = false;
    for (const auto& link : links_) {
        if (link->Listing().Command() != command) continue;
        link->Listing().OnAnswer(answer, root);
        taken = true;
        break;
    }
    if (const std::optional<size_t> next = std::exchange(next_, std::nullopt)) links_[*next]->Listing().Start();
    return taken;
}

}  // namespace vantrel
