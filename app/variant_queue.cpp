#include "app/variant_queue.h"

#include <algorithm>
#include <utility>

namespace vorlex::app {

void VariantQueue::insert(int index, const detect::VariantEntry& entry) {
    push({ListOperation::Kind::insert, index, entry.line});
}

void VariantQueue::append(const detect::VariantEntry& entry) {
    push({ListOperation::Kind::append, 0, entry.line});
}

void VariantQueue::remove(int index) {
    push({ListOperation::Kind::remove, index, {}});
}

void VariantQueue::push(ListOperation operation) {
    const std::lock_guard lock(mutex_);
    operations_.push_back(std::move(operation));
}

std::vector<ListOperation> VariantQueue::take() {
    std::vector<ListOperation> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(operations_);
    return taken;
}

void VariantQueue::clear() {
    const std::lock_guard lock(mutex_);
    operations_.clear();
}

void applyOperations(const std::vector<ListOperation>& operations,
                     std::vector<std::string>& lines) {
    for (const ListOperation& op : operations) {
        const int size = static_cast<int>(lines.size());
        switch (op.kind) {
        case ListOperation::Kind::insert:
            lines.insert(lines.begin() + std::clamp(op.index, 0, size), op.line);
            break;
        case ListOperation::Kind::append:
            lines.push_back(op.line);
            break;
        case ListOperation::Kind::remove:
            if (op.index >= 0 && op.index < size)
                lines.erase(lines.begin() + op.index);
            break;
        }
    }
}

} // namespace vorlex::app
