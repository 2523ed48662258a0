// Text menu labels, column arithmetic and item order.
#include "menu/menulayout.h"

#include <algorithm>

#include "TOOLS/tooltext.h"

std::string BuildMenuLabel(const char* text, int budget) {
    std::string label;
    if (budget < 1) return label;
    const size_t limit = static_cast<size_t>(budget);
    for (const char* p = text; *p != '\0' && label.size() < limit; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (tooltext::IsControlByte(c)) continue;
        label.push_back(*p);
        if (*p != '&') continue;
        // A lone '&' would underline the next character, so an ampersand that has no room for
        // its double ends the label.
        if (label.size() + 1 >= limit) {
            // The '&' may be the second byte of a double-byte character: both go, or the label
            // would end in half a character.
            const bool trail =
                label.size() >= 2 &&
                tooltext::KindOfByteAt(label.c_str(), label.size() - 2) == tooltext::ByteKind::Lead;
            label.resize(label.size() - (trail ? 2 : 1));
            return label;
        }
        label.push_back('&');
    }
    if (label.size() < limit) return label;
    // Classify while the byte after the cut is still there: the walk counts a lead byte right
    // before the NUL as a single byte.
    const bool leadBeforeCut =
        limit >= 2 && tooltext::KindOfByteAt(label.c_str(), limit - 2) == tooltext::ByteKind::Lead;
    label.resize(leadBeforeCut ? limit - 2 : limit - 1);
    return label;
}

std::u16string BuildMenuLabelW(std::u16string_view text, int budget) {
    std::u16string label;
    if (budget < 1) return label;
    const size_t limit = static_cast<size_t>(budget);
    for (char16_t c : text) {
        if (label.size() >= limit) break;
        if (c <= 0x1F || c == 0x7F) continue;
        label.push_back(c);
        if (c != u'&') continue;
        // As in the byte label: an ampersand without room for its double ends the label.
        if (label.size() + 1 >= limit) {
            label.pop_back();
            return label;
        }
        label.push_back(u'&');
    }
    if (label.size() < limit) return label;
    label.resize(tooltext::WideCutLength(label.data(), label.size(), limit - 1));
    return label;
}

MenuColumns ComputeMenuColumns(int totalItems, int screenHeight, int menuItemHeight,
                               int labelChars) {
    MenuColumns result;
    const int itemHeight = menuItemHeight + 2;
    result.rows = itemHeight > 0 ? screenHeight / itemHeight : 0;
    if (result.rows < 1) result.rows = 1;
    result.columns = totalItems > 0 ? (totalItems - 1) / result.rows + 1 : 1;
    result.labelBudget = std::max(labelChars / result.columns, 3);
    return result;
}

namespace {

void AppendSection(std::vector<MenuPlanItem>& items, MenuSection section, int count,
                   bool reversed) {
    if (count == 0) {
        items.push_back({MenuItemKind::Placeholder, section, -1, false});
        return;
    }
    for (int i = 0; i < count; ++i) {
        int index = reversed ? count - 1 - i : i;
        items.push_back({MenuItemKind::Text, section, index, false});
    }
}

}  // namespace

TextMenuPlan PlanTextMenu(const TextMenuInput& input) {
    const int r = std::max(input.registeredCount, 0);
    const int h = std::max(std::min(input.historyCount, input.historyEntries), 0);
    const int total = std::max(r, 1) + std::max(h, 1) + 1;

    TextMenuPlan plan;
    plan.columns =
        ComputeMenuColumns(total, input.screenHeight, input.menuItemHeight, input.labelChars);
    plan.items.reserve(static_cast<size_t>(total));
    const bool historyReversed = !input.newestOnTop;
    if (input.registeredOnTop) {
        AppendSection(plan.items, MenuSection::Registered, r, false);
    } else {
        AppendSection(plan.items, MenuSection::History, h, historyReversed);
    }
    plan.items.push_back({MenuItemKind::Separator, MenuSection::Registered, -1, false});
    if (input.registeredOnTop) {
        AppendSection(plan.items, MenuSection::History, h, historyReversed);
    } else {
        AppendSection(plan.items, MenuSection::Registered, r, false);
    }
    for (size_t p = static_cast<size_t>(plan.columns.rows); p < plan.items.size();
         p += static_cast<size_t>(plan.columns.rows)) {
        plan.items[p].columnBreak = true;
    }
    return plan;
}
