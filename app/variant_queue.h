// The list operations of a pass, queued by the worker and taken by the window's timer.
//
// The worker never waits for the window: it only holds the queue's lock for one push. The
// window applies the operations in the order the pass made them.
#pragma once

#include "detect/pass.h"

#include <mutex>
#include <string>
#include <vector>

namespace vorlex::app {

struct ListOperation {
    enum class Kind { insert, append, remove };
    Kind kind = Kind::append;
    int index = 0;
    std::string line; ///< Windows-1251 list line (insert, append)
};

class VariantQueue final : public detect::VariantSink {
public:
    void insert(int index, const detect::VariantEntry& entry) override;
    void append(const detect::VariantEntry& entry) override;
    void remove(int index) override;

    /// Every operation queued so far, oldest first; the queue is empty afterwards.
    [[nodiscard]] std::vector<ListOperation> take();
    void clear();

private:
    void push(ListOperation operation);

    std::mutex mutex_;
    std::vector<ListOperation> operations_;
};

/// Applies operations to a list of lines the way the window applies them to its list box:
/// indices beyond the end insert at the end, removals outside the list are ignored.
void applyOperations(const std::vector<ListOperation>& operations, std::vector<std::string>& lines);

} // namespace vorlex::app
