// Paging of the lists that arrive from the managed machine in pages.
//
// A listing starts with StartAt -1 ("from the start"); each answer's root says
// "UpTo" and "Total"; the next request starts at UpTo (ContinueFrom::UpTo) or
// at UpTo + 1 (ContinueFrom::UpToPlusOne), depending on the list.
//
// The other side is not trusted, so NextPage only continues while the
// listing provably moves forward and stays inside what was announced:
//   - the page advanced: UpTo is past the StartAt that was sent. For
//     ContinueFrom::UpTo the StartAt -1 counts as 0 (UpTo is the index after the
//     last entry, so an UpTo of 0 delivered nothing and asking from 0 would
//     repeat the first request); for ContinueFrom::UpToPlusOne any UpTo >= 0
//     is past -1, and a page whose UpTo equals the StartAt sent did not
//     advance. Either way every request starts strictly later than the one
//     before, so a listing always ends;
//   - the next StartAt is below Total and below kMaxListItems.
// Outcomes:
//   Continue  request the next page from *nextStartAt;
//   Done      the listing is complete (the next StartAt reaches Total, which
//             covers "UpTo -1, Total 0" and "UpTo beyond Total"), or it has
//             reached kMaxListItems entries;
//   Failed    the numbers make no sense: a negative Total, or a page that did
//             not advance (or went backwards) while Total says more remain.
//             The listing ends; what arrived so far stays and is shown, the
//             status says "Failed".
// Decisions use the StartAt that was sent, never the one the answer echoes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantrel {

// The attributes of a listing: "StartAt" in the request and echoed in the
// answer's root, "UpTo" and "Total" in the answer's root.
constexpr char kStartAtAttribute[] = "StartAt";
constexpr char kUpToAttribute[] = "UpTo";
constexpr char kTotalAttribute[] = "Total";

// The most entries one list holds. Counts in answers ("Total") never size an
// allocation: lists grow as entries actually arrive and stop at this cap.
constexpr size_t kMaxListItems = 1'000'000;

// Whether a list holding `count` entries may take one more.
constexpr bool ListHasRoom(size_t count, size_t cap = kMaxListItems) { return count < cap; }

enum class ContinueFrom {
    UpTo,         // next StartAt = UpTo (UpTo: index after the last entry sent)
    UpToPlusOne,  // next StartAt = UpTo + 1 (UpTo: index of the last entry sent)
};

enum class PageStep { Continue, Done, Failed };

// Decides what follows an answered page. sentStartAt is the StartAt of the
// request this page answers (-1 for the first; anything below -1 counts as -1).
// *nextStartAt (may be null) is written only for Continue.
PageStep NextPage(int64_t sentStartAt, int64_t upTo, int64_t total, int64_t* nextStartAt, ContinueFrom rule);

// Same, with a cap other than kMaxListItems (tests, lists with a smaller bound).
PageStep NextPage(int64_t sentStartAt, int64_t upTo, int64_t total, int64_t* nextStartAt, ContinueFrom rule,
                  int64_t maxItems);

}  // namespace vantrel
