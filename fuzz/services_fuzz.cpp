// The Services answer parsers on arbitrary text: a page of the list (601) and
// one service (606, and the answer to a change, 602), then everything the
// view and the property dialog ask of what they stored: the dependency trees
// and the element a change sends back. The first byte chooses the StartAt
// the page answers; the rest is the XML text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/model/Answer.h"
#include "framework/model/Paging.h"
#include "framework/xml/Xml.h"
#include "snapins/services/model/ServiceCommands.h"
#include "snapins/services/model/ServiceModel.h"
#include "snapins/services/model/ServiceProperties.h"

namespace {

using namespace vantrel::services;

void Require(bool condition) {
    if (!condition) std::abort();
}

// Opens every expandable item of both trees of a service, to a bounded depth:
// no service appears twice on one path, whatever cycles the answer holds.
void WalkTree(const ServiceStore& store, DependencyDirection direction, std::vector<std::u16string>& path, int budget) {
    const std::vector<DependencyItem> level = DependencyLevel(store, direction, path.back(), path);
    for (const DependencyItem& item : level) {
        for (const std::u16string& on : path)
            if (SameServiceName(on, item.name)) Require(!item.expandable);
        if (!item.expandable || budget <= 0 || path.size() > 8) continue;
        path.push_back(item.name);
        WalkTree(store, direction, path, budget - 1);
        path.pop_back();
    }
}

// The element a change sends names the same service and carries the same texts.
void CheckChange(const ServiceRecord& record) {
    PropertyChanges changes;
    changes.startupType = StartupTypeOfSelection(StartupSelectionOf(record.startupType), record.startupType);
    changes.logOn = LogOnOf(record);
    vantrel::CXmlElement sent;
    Require(vantrel::ParseAnswer(ChangeRequestText(record, changes, u"pw'<&").c_str(), sent) ==
            vantrel::AnswerText::Parsed);
    const ServiceRecord back = ReadServiceElement(sent);
    Require(back.name == record.name && back.displayName == record.displayName &&
            back.description == record.description && back.servicePath == record.servicePath);
    Require(back.startupType == record.startupType);
    Require(vantrel::ReadText(sent, "PSW") == u"pw'<&");
}

void CheckStore(const ServiceStore& store) {
    const size_t count = store.Count();
    for (size_t i = 0; i < count; ++i) {
        const ServiceRecord& record = store.Records()[i];
        Require(!record.name.empty());
        Require(store.Find(store.IdAt(i)) == &record);
        Require(store.IdOf(record.name) == store.IdAt(i));
        Require(StatusTextOf(record.state) <= StatusText::Unknown);
        Require(StartupTextOf(record.startupType) <= StartupText::Unknown);

        const CommandStates states = AllowedCommands(&record, false, false);
        Require(states.startButton == (states.start || states.resume));
        if (IsHostService(record)) Require(!states.stop && !states.pause && !states.resume && !states.restart);
        const CommandStates pending = AllowedCommands(&record, false, true);
        Require(!pending.start && !pending.stop && !pending.pause && !pending.resume && !pending.restart);

        if (i + 1 < count) {
            const ServiceRecord& next = store.Records()[i + 1];
            for (int column = 0; column < kColumnCount; ++column)
                Require(CompareServices(record, next, column) == -CompareServices(next, record, column));
        }
    }
    // Dependents of the first services: each listed once, all stored and running, never the service itself.
    for (size_t i = 0; i < std::min<size_t>(count, 16); ++i) {
        const std::u16string& name = store.Records()[i].name;
        const std::vector<std::u16string> order = RunningDependents(store, name);
        std::vector<ServiceId> ids;
        for (const std::u16string& dependent : order) {
            const ServiceRecord* record = store.FindByName(dependent);
            Require(record != nullptr);
            Require(record->state != 1);
            Require(!SameServiceName(dependent, name));
            ids.push_back(store.IdOf(dependent));
        }
        std::sort(ids.begin(), ids.end());
        Require(std::adjacent_find(ids.begin(), ids.end()) == ids.end());
        for (DependencyDirection direction : {DependencyDirection::Dependents, DependencyDirection::DependsOn}) {
            std::vector<std::u16string> path = {name};
            WalkTree(store, direction, path, 3);
        }
        CheckChange(store.Records()[i]);
    }
}

struct Page {
    bool readable = false;
    PageMerge merge;
    vantrel::PageStep step = vantrel::PageStep::Failed;
    int64_t next = 0;
    int64_t total = 0;
};

// One page as the snap-in takes it: parsed, merged, then the paging decision.
Page MergeAndStep(ServiceStore& store, const std::string& text, int64_t sent) {
    Page page;
    vantrel::CXmlElement root;
    if (vantrel::ParseAnswer(text.c_str(), root) != vantrel::AnswerText::Parsed) return page;
    page.readable = true;
    page.merge = store.MergePage(root);
    page.total = vantrel::ReadInt64(root, vantrel::kTotalAttribute);
    page.step = vantrel::NextPage(sent, vantrel::ReadInt64(root, vantrel::kUpToAttribute), page.total, &page.next,
                                  vantrel::ContinueFrom::UpTo);
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int64_t sent = (data[0] & 1) ? -1 : static_cast<int64_t>(data[0] >> 1) * 50;
    // Exactly the input's bytes in their own allocation, freed before the
    // store is read: records must own what they hold.
    auto text = std::make_unique<std::string>(reinterpret_cast<const char*>(data + 1), size - 1);

    ServiceStore store;
    const Page page = MergeAndStep(store, *text, sent);
    const ServiceAnswer single = ParseServiceAnswer(text->c_str());
    ServiceStore again;
    const Page repeated = MergeAndStep(again, *text, sent);
    const Page twice = MergeAndStep(again, *text, std::max<int64_t>(sent, 0) + 1);
    text.reset();

    if (!page.readable) Require(store.Count() == 0);
    Require(page.merge.added == store.Count());
    if (page.step == vantrel::PageStep::Continue) {
        Require(page.next > std::max<int64_t>(sent, 0));
        Require(page.next < page.total);
    }
    // The same page once more adds nobody: every name is there already.
    Require(repeated.merge.added == page.merge.added);
    Require(twice.merge.added == 0 && twice.merge.replaced == page.merge.added + page.merge.replaced);
    Require(again.Count() == store.Count());
    CheckStore(store);

    if (single.ok) {
        Require(!single.record.name.empty());
        const ReplaceOutcome replaced = store.Replace(single.record);
        if (replaced.id != kNoService) Require(SameServiceName(store.Find(replaced.id)->name, single.record.name));
        else Require(store.FindByName(single.record.name) == nullptr);
        CheckStore(store);
    }
    return 0;
}
