// The shared recent copies: own copies stamped, other machines' new ones taken once, in order.
#include "sync/sharedhistory.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <unordered_map>

#include "sync/sharedstate.h"

namespace {

uint64_t idOf(const SharedCopy& copy) {
    return sharedTextId(copy.text, copy.exact);
}

bool newerFirst(const SharedCopy& a, const SharedCopy& b) {
    return a.stamp > b.stamp;
}

void noteSeen(SharedHistory& history, uint64_t machine, uint64_t stamp) {
    uint64_t& seen = history.seen[machine];
    seen = std::max(seen, stamp);
}

}  // namespace

void noteOwnCopy(SharedHistory& history, uint64_t machine, uint64_t nowMs, const std::string& text,
                 const std::u16string& exact, size_t keep) {
    SharedCopy copy{0, text, exact};
    const uint64_t id = idOf(copy);
    auto& copies = history.copies;
    // The newest copy again (the clipboard read at every start, a text copied twice) is no news.
    if (!copies.empty() && idOf(copies.front()) == id) return;
    auto seen = history.seen.find(machine);
    const uint64_t stamp = seen == history.seen.end() ? nowMs : std::max(nowMs, seen->second + 1);
    copy.stamp = stamp;
    copies.erase(std::remove_if(copies.begin(), copies.end(),
                                [id](const SharedCopy& held) { return idOf(held) == id; }),
                 copies.end());
    copies.insert(copies.begin(), std::move(copy));
    if (copies.size() > keep) copies.resize(keep);
    noteSeen(history, machine, stamp);
}

void mergeOwnHistory(SharedHistory& into, const SharedHistory& from) {
    std::unordered_map<uint64_t, size_t> at;
    for (size_t i = 0; i < into.copies.size(); ++i) at.emplace(idOf(into.copies[i]), i);
    for (const SharedCopy& copy : from.copies) {
        auto [found, added] = at.emplace(idOf(copy), into.copies.size());
        if (added)
            into.copies.push_back(copy);
        else if (newerFirst(copy, into.copies[found->second]))
            into.copies[found->second] = copy;
    }
    std::stable_sort(into.copies.begin(), into.copies.end(), newerFirst);
    for (const auto& [machine, stamp] : from.seen) noteSeen(into, machine, stamp);
}

std::vector<ArrivingCopy> takeNewCopies(SharedHistory& own, uint64_t machine,
                                        const std::vector<HistorySource>& sources) {
    auto later = [](const ArrivingCopy& a, const ArrivingCopy& b) {
        return std::tie(a.copy->stamp, a.machine) > std::tie(b.copy->stamp, b.machine);
    };
    std::unordered_map<uint64_t, ArrivingCopy> newest;  // by text: its newest copy
    for (const SharedCopy& copy : own.copies) newest[idOf(copy)] = {machine, &copy};
    const std::map<uint64_t, uint64_t> before = own.seen;
    for (const HistorySource& source : sources) {
        if (source.machine == machine) continue;
        auto seen = before.find(source.machine);
        const uint64_t taken = seen == before.end() ? 0 : seen->second;
        for (const SharedCopy& copy : source.history->copies) {
            noteSeen(own, source.machine, copy.stamp);
            if (copy.stamp <= taken) continue;
            ArrivingCopy arrival{source.machine, &copy};
            auto [at, added] = newest.emplace(idOf(copy), arrival);
            if (!added && later(arrival, at->second)) at->second = arrival;
        }
    }
    // A copy older than this machine's own copy of the same text is not news here.
    std::vector<ArrivingCopy> arrivals;
    for (const auto& [id, arrival] : newest)
        if (arrival.machine != machine) arrivals.push_back(arrival);
    std::sort(arrivals.begin(), arrivals.end(),
              [&later](const ArrivingCopy& a, const ArrivingCopy& b) { return later(b, a); });
    return arrivals;
}

void recordArrivals(TextStore& store, int historyCount, const std::vector<ArrivingCopy>& arrivals) {
    for (const ArrivingCopy& arrival : arrivals) {
        ExactText exact;
        if (!arrival.copy->exact.empty())
            exact = std::make_shared<const std::u16string>(arrival.copy->exact);
        recordHistoryText(store, historyCount, arrival.copy->text.c_str(), std::move(exact));
    }
}

std::vector<SharedCopy> copiesToShare(const SharedHistory& own, const TextStore& store, int count) {
    std::vector<SharedCopy> shared;
    for (const SharedCopy& copy : own.copies) {
        if (static_cast<int>(shared.size()) >= count) break;
        TextKey key{copy.text, copy.exact.empty() ? nullptr : &copy.exact};
        if (store.history.byText.count(key)) shared.push_back(copy);
    }
    return shared;
}

std::map<uint64_t, uint64_t> copyOrigins(const SharedHistory& own, uint64_t machine,
                                         const std::vector<HistorySource>& sources) {
    std::map<uint64_t, std::pair<uint64_t, uint64_t>> newest;  // text -> (stamp, machine)
    auto note = [&newest](uint64_t from, const SharedCopy& copy) {
        auto& held = newest[idOf(copy)];
        held = std::max(held, std::make_pair(copy.stamp, from));
    };
    for (const SharedCopy& copy : own.copies) note(machine, copy);
    for (const HistorySource& source : sources)
        if (source.machine != machine)
            for (const SharedCopy& copy : source.history->copies) note(source.machine, copy);
    std::map<uint64_t, uint64_t> origins;
    for (const auto& [id, held] : newest)
        if (held.second != machine) origins.emplace(id, held.second);
    return origins;
}
