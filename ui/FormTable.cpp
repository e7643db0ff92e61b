// A Form whose table is put together at run time, as the tests' are. In an
// object of its own: the program's tables are constants whose orders are
// compiled in, so it links none of this.
#include <algorithm>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <vector>

#include "ui/CreationOrder.h"
#include "ui/Form.h"

namespace ui {

Form::Form(WindowDescription description, std::span<const ControlRow> table)
    : Form(description, table, {}) {
    computedOrder_ = std::make_unique<std::uint8_t[]>(table.size());
    creationOrder_ = computedOrder_.get();
    try {
        const std::vector<std::uint8_t> order = CreationOrder(table, description.name);
        std::copy(order.begin(), order.end(), computedOrder_.get());
    } catch (const std::length_error&) {
        throw;
    } catch (const std::logic_error&) {
        // Table order: Load then fails where a control's container is missing.
        std::iota(computedOrder_.get(), computedOrder_.get() + table.size(), std::uint8_t{0});
    }
}

} // namespace ui
