// The registered texts as the shared folder's rows, and their replacement by merged rows.
#include "sync/registeredlist.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>

namespace {

bool AddRow(TextStore& store, const LocalText& row) {
    ExactText exact;
    if (!row.exact.empty()) exact = std::make_shared<const std::u16string>(row.exact);
    return addText(store, ListKind::RegisteredTexts, row.text.c_str(), exact);
}

bool AddRows(TextStore& store, const std::vector<LocalText>& rows) {
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        if (!AddRow(store, *row)) return false;
    return true;
}

bool SameText(const LocalText& a, const LocalText& b) {
    return a.text == b.text && a.exact == b.exact;
}

}  // namespace

std::vector<LocalText> registeredTexts(const TextStore& store) {
    std::vector<LocalText> list;
    for (int i = 0, n = listCount(store, ListKind::RegisteredTexts); i < n; ++i) {
        int id = idAt(store, ListKind::RegisteredTexts, i);
        const std::u16string* exact = exactTextOfId(store, id);
        list.push_back(LocalText{textOfId(store, id), exact ? *exact : std::u16string()});
    }
    return list;
}

// A new entry takes the lowest free id: the free ids below a kept text's old one are held while
// it is added, kept texts in the order of their ids. Then the rows are put in order.
bool replaceRegisteredKeepingIds(TextStore& store, const std::vector<LocalText>& rows) {
    std::vector<LocalText> before = registeredTexts(store);
    std::unordered_multimap<uint64_t, const LocalText*> rowOfId;
    for (const LocalText& row : rows) rowOfId.emplace(sharedTextId(row.text, row.exact), &row);
    std::vector<std::pair<int, const LocalText*>> kept;
    for (size_t i = 0; i < before.size(); ++i) {
        auto [from, to] = rowOfId.equal_range(sharedTextId(before[i].text, before[i].exact));
        for (auto at = from; at != to; ++at)
            if (SameText(*at->second, before[i])) {
                kept.emplace_back(idAt(store, ListKind::RegisteredTexts, static_cast<int>(i)),
                                  at->second);
                break;
            }
    }
    std::sort(kept.begin(), kept.end());
    clearList(store, ListKind::RegisteredTexts);
    std::vector<int> held;
    bool stored = true;
    for (const auto& [id, row] : kept) {
        for (int free = allocateTextId(store.pool); free >= 0 && free < id;
             free = allocateTextId(store.pool))
            held.push_back(free);
        releaseTextId(store.pool, id);
        stored = stored && AddRow(store, *row);
    }
    for (int id : held) releaseTextId(store.pool, id);
    if (stored && AddRows(store, rows)) return true;
    clearList(store, ListKind::RegisteredTexts);
    AddRows(store, before);
    return false;
}
