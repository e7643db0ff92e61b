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
    std::vector<std::size_t> container(count, count); // count: the window itself
    std::vector<int> key(count, Last);
    for (std::size_t i = 0; i < count; ++i) {
        const ControlRow& row = table[i];
        if (!(row.container == window)) {
            std::size_t panel = 0;
            while (panel < i &&
                   !(table[panel].kind == Kind::Panel && table[panel].name == row.container))
                ++panel;
            if (panel == i)
                throw std::logic_error(
                    std::string("The control ") + row.name.text +
                    " names a container that is not built before it: " + row.container.text);
            container[i] = panel;
        }
        if (TakesFocus(row.kind) && row.tab != NoTab)
            key[i] = row.tab;
    }
    // Backwards: a panel's contents follow it in the table.
    for (std::size_t i = count; i-- > 0;) {
        if (!TakesFocus(table[i].kind) && table[i].kind != Kind::Panel) {
            for (std::size_t next = i + 1; next < count; ++next) {
                if (container[next] == container[i] && TakesFocus(table[next].kind)) {
                    key[i] = key[next];
                    break;
                }
            }
        }
        if (container[i] != count)
            key[container[i]] = std::min(key[container[i]], key[i]);
    }
    // Each container's contents by key, each panel followed by its own.
    std::vector<std::uint8_t> order;
    std::vector<char> placed(count);
    const auto append = [&](const auto& self, std::size_t parent) -> void {
        for (;;) {
            std::size_t first = count;
            for (std::size_t i = 0; i < count; ++i) {
                if (container[i] == parent && !placed[i] && (first == count || key[i] < key[first]))
                    first = i;
            }
            if (first == count)
                return;
            placed[first] = 1;
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
