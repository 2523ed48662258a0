// Text menu rules without windows: item labels, rows and columns, and the order of the items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text of the greyed item that stands for an empty section (id 0).
inline constexpr char kMenuPlaceholderText[] = "（なし）";

// Label of a text for the menu: control bytes skipped, '&' doubled, at most budget-1 bytes and
// never a double-byte character split nor a single '&' at the end. A budget below 1 gives "".
std::string BuildMenuLabel(const char* text, int budget);
// The same rules for an exact text, the budget counted in UTF-16 units; a surrogate pair is never
// split.
std::u16string BuildMenuLabelW(std::u16string_view text, int budget);

struct MenuColumns {
    int rows;         // items per column
    int columns;      // columns needed for all items
    int labelBudget;  // byte budget L of every label
};

// screenHeight and menuItemHeight are the screen's and a menu item's heights in pixels;
// labelChars is the width budget shared by all columns. A screen shorter than one item still
// gets one row per column.
MenuColumns ComputeMenuColumns(int totalItems, int screenHeight, int menuItemHeight,
                               int labelChars);

// Values the same as the store's list kinds.
enum class MenuSection { History = 1, Registered = 2 };

enum class MenuItemKind { Text, Placeholder, Separator };

struct MenuPlanItem {
    MenuItemKind kind;
    MenuSection section;  // Text and Placeholder: the section it belongs to
    int index;            // Text: index into that section's list; else -1
    bool columnBreak;     // the item opens a new column with a dividing line
};

struct TextMenuInput {
    int registeredCount;  // entries in RegisteredTexts
    int historyEntries;   // entries in History
    int historyCount;     // the most history entries shown (the newest ones)
    bool registeredOnTop;
    bool newestOnTop;
    int labelChars;
    int screenHeight;    // pixels
    int menuItemHeight;  // pixels
};

struct TextMenuPlan {
    std::vector<MenuPlanItem> items;  // in menu order
    MenuColumns columns;
};

// The whole text menu as the glue appends it: sections, placeholders, separator, breaks.
TextMenuPlan PlanTextMenu(const TextMenuInput& input);
