// Listings that run one after another, as a refresh that reads several lists
// in turn: each paged listing (framework/PagedListing.h) starts when the one
// before has ended with every page, and a failure or cancellation ends the
// chain. A refresh asked for while the chain runs starts once it has ended,
// so that two chains never interleave their pages.
#pragma once

#include "framework/PagedListing.h"

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace vantrel {

class IListingChainClient {
public:
    // As IListingClient, for the listing at `link` (its place in the chain).
    virtual void OnChainListingStarted(size_t link) = 0;
    virtual bool MergeChainPage(size_t link, const CXmlElement& root) = 0;
    virtual void OnChainListingEnded(size_t link, ListingEnd end) = 0;
    virtual bool CanShowChain() const = 0;

protected:
    ~IListingChainClient() = default;
};

class CListingChain {
public:
    CListingChain(CSnapInBase& snapIn, IListingChainClient& client, std::initializer_list<ListingWire> wires);
    ~CListingChain();
    CListingChain(const CListingChain&) = delete;
    CListingChain& operator=(const CListingChain&) = delete;

    // Starts from the first listing; while the chain runs, once it has ended.
    void Start();
    // A listing runs, or the next one waits to start.
    bool Running() const;
    // Hands an answer to the listing of its command; false when none has it.
    // The next listing starts after the answer that ended the one before has
    // been dealt with, so that its "Success" comes before the next "In progress...".
    bool OnAnswer(uint32_t command, IHostMessage& answer, IMessageNode& root);

private:
    class Link;
    void OnLinkEnded(size_t link, ListingEnd end);

    IListingChainClient& client_;
    std::vector<std::unique_ptr<Link>> links_;
    std::optional<size_t> next_;
    bool startAgain_ = false;
};

}  // namespace vantrel
