// The order a window's controls are created in, worked out from its table.
// The windows' tables are constants, so their orders are worked out as the
// program is compiled (CompiledCreationOrder, kept beside each table): the
// program then does none of this work, and a table that breaks the rule below
// does not compile.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/ControlRow.h"

namespace ui {

// The indices of the table's rows in the order their controls are created:
// containers before their children, siblings in tab order. Throws
// std::logic_error when a row names a container that does not come before it
// in the table.
constexpr std::vector<std::uint8_t> CreationOrder(std::span<const ControlRow> table, Name window) {
    // The dialog manager takes the tab stops in z-order, which among siblings
    // is the order of creation. Within a container each control has a key:
    // its tab index when it takes the focus; a panel the smallest key inside
    // it; any other control the key of the next focusable control after it in
    // the table, so that a label stays right before the control it names (a
    // screen reader names a text box by it), or last when none follows. Equal
    // keys keep table order.
    const std::size_t count = table.size();
    if (count > std::numeric_limits<std::uint8_t>::max())
        throw std::length_error("A control table has more rows than an order can number");
    constexpr int Last = std::numeric_limits<int>::max();
    struct Place {
        std::size_t container; // count: the window itself
        int key;
        bool placed;
    };
    // Grown row by row: a vector sized up front is not filled in a way every
    // compiler accepts while compiling.
    std::vector<Place> places;
    places.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ControlRow& row = table[i];
        Place place{count, Last, false};
        if (!(row.container == window)) {
            std::size_t panel = 0;
            while (panel < i &&
                   !(table[panel].kind == Kind::Panel && table[panel].name == row.container))
                ++panel;
            if (panel == i)
                throw std::logic_error(
                    std::string("The control ") + row.name.text +
                    " names a container that is not built before it: " + row.container.text);
            place.container = panel;
        }
        if (TakesFocus(row.kind) && row.tab != NoTab)
            place.key = row.tab;
        places.push_back(place);
    }
    // Backwards: a panel's contents follow it in the table.
    for (std::size_t i = count; i-- > 0;) {
        Place& place = places[i];
        if (!TakesFocus(table[i].kind) && table[i].kind != Kind::Panel) {
            for (std::size_t next = i + 1; next < count; ++next) {
                if (places[next].container == place.container && TakesFocus(table[next].kind)) {
                    place.key = places[next].key;
                    break;
                }
            }
        }
        if (place.container != count)
            places[place.container].key = std::min(places[place.container].key, place.key);
    }
    // Each container's contents by key, each panel followed by its own.
    std::vector<std::uint8_t> order;
    const auto append = [&](const auto& self, std::size_t parent) -> void {
        for (;;) {
            std::size_t first = count;
            for (std::size_t i = 0; i < count; ++i) {
                if (places[i].container == parent && !places[i].placed &&
                    (first == count || places[i].key < places[first].key))
                    first = i;
            }
            if (first == count)
                return;
            places[first].placed = true;
            order.push_back(static_cast<std::uint8_t>(first));
            self(self, first);
        }
    };
    append(append, count);
    return order;
}

// The creation order of a constant table, as a constant: evaluated only as the
// program is compiled, where a faulty table is an error.
template <std::size_t N>
consteval std::array<std::uint8_t, N> CompiledCreationOrder(const ControlRow (&table)[N],
                                                            Name window) {
    const std::vector<std::uint8_t> order = CreationOrder(table, window);
    std::array<std::uint8_t, N> compiled{};
    std::copy(order.begin(), order.end(), compiled.begin());
    return compiled;
}

} // namespace ui
