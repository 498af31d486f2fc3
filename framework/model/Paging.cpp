#include "framework/model/Paging.h"

#include <algorithm>

namespace vantrel {

PageStep NextPage(int64_t sentStartAt, int64_t upTo, int64_t total, int64_t* nextStartAt, ContinueFrom rule)
{
    return NextPage(sentStartAt, upTo, total, nextStartAt, rule, static_cast<int64_t>(kMaxListItems));
}

PageStep NextPage(int64_t sentStartAt, int64_t upTo, int64_t total, int64_t* nextStartAt, ContinueFrom rule,
                  int64_t maxItems)
{
    if (total < 0)
        return PageStep::Failed;
    if (total == 0)
        return PageStep::Done;  // an empty list, whatever UpTo says
    const int64_t sent = std::max<int64_t>(sentStartAt, -1);

    int64_t next = 0;
    bool advanced = false;
    if (rule == ContinueFrom::UpTo) {
        next = upTo;
        advanced = upTo > std::max<int64_t>(sent, 0);
    } else {
        // UpTo + 1 cannot overflow here: an UpTo at the top of the range is past any Total.
        if (upTo >= total)
            return PageStep::Done;
        next = upTo + 1;
        advanced = upTo > sent;
    }

    if (next >= total)
        return PageStep::Done;
    if (!advanced)
        return PageStep::Failed;
    if (next >= maxItems)
        return PageStep::Done;
    if (nextStartAt)
        *nextStartAt = next;
    return PageStep::Continue;
}

}  // namespace vantrel
