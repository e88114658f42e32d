// An automatic recoding pass: scores the stored multi-filter schemes and the 17040 search chains
// on a sample and reports the variant list it builds, line operation by line operation.
//
// The pass has no window behind it. It runs either on its own worker thread (start) or on the
// calling thread (runToCompletion). Everything the worker shares with other threads is atomic:
// the stop flag, the accepted count, the progress counter and maximum variants.
#pragma once

#include "detect/dictionary.h"
#include "detect/sample.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vorlex::detect {

/// What an absent stored value reads as.
inline constexpr std::string_view kMissingValue = "~-^-~";

/// Data of the scheme box's "Auto" item; items with this data are not stored schemes.
inline constexpr int kAutoItem = -1;

/// Most and fewest variants a list may show, and the default.
inline constexpr int kMinVariants = 1;
inline constexpr int kMaxVariants = 99;
inline constexpr int kDefaultVariants = 20;

/// One variant as it goes into the list.
struct VariantEntry {
    std::string line;   ///< label + separator + action, the list line itself
    std::string action; ///< each filter code followed by one space
    std::string label;  ///< 199 characters, Windows-1251
    double score = 0;
    double maximum = 0;
};

/// Receives the list operations of a pass in the order the pass makes them.
///
/// The calls come on the thread that runs the pass: the worker thread for RecodingPass::start.
/// A user-interface implementation must hand them to its own thread without waiting for it
/// (post a queued event; never block on the user-interface thread, which may itself be joining
/// the worker). The pass keeps track of the list's length itself: an index it reports always
/// exists, and an insertion index is at most the current number of lines.
class VariantSink {
public:
    virtual ~VariantSink() = default;
    /// Insert a line before index `index` (0 = top).
    virtual void insert(int index, const VariantEntry& entry) = 0;
    /// Add a line at the end.
    virtual void append(const VariantEntry& entry) = 0;
    /// Delete the line at `index`.
    virtual void remove(int index) = 0;
};

/// A sink that keeps the list as data. Safe to read from another thread while a pass fills it.
class VariantList final : public VariantSink {
public:
    void insert(int index, const VariantEntry& entry) override;
    void append(const VariantEntry& entry) override;
    void remove(int index) override;

    void clear();
    [[nodiscard]] std::vector<VariantEntry> entries() const;
    [[nodiscard]] std::size_t size() const;

private:
    mutable std::mutex mutex_;
    std::vector<VariantEntry> entries_;
};

/// Reads a stored scheme's `Action` by scheme number; returns kMissingValue when it is absent.
/// Called on the thread that runs the pass, once per visited scheme item, in item order.
using ActionReader = std::function<std::string(int schemeNumber)>;

/// Reads the actions of all stored-scheme items now, on the calling thread, and returns a
/// reader over that copy: for a store that must not be read from the worker thread.
[[nodiscard]] ActionReader snapshotActions(const std::vector<int>& schemeItems,
                                           const ActionReader& reader);

/// Everything a pass needs besides the dictionary.
struct PassSetup {
    Sample sample;
    /// Item data of the scheme box, item 0 first. Item 0 ("Auto") is never visited; items with
    /// data -1 are skipped; with fewer than two items no stored scheme is scored.
    std::vector<int> schemeItems;
    ActionReader readAction;
    int precision = 7;                  ///< limited to 0..9
    int maxVariants = kDefaultVariants; ///< initial maximum variants (limited to 1..99)
    /// Called first on the worker thread (e.g. to lower its priority); not called by
    /// runToCompletion.
    std::function<void()> onWorkerStart;
};

class RecodingPass {
public:
    /// The dictionary is read by every pass and must outlive this object.
    explicit RecodingPass(const Dictionary& dictionary) noexcept : dictionary_(dictionary) {}
    /// Stops a running worker and waits for it.
    ~RecodingPass();

    RecodingPass(const RecodingPass&) = delete;
    RecodingPass& operator=(const RecodingPass&) = delete;

    /// Starts a pass on a new worker thread. A previous worker is asked to stop and joined
    /// first, so two workers never write to a list at once. The counters are reset and the
    /// stop flag cleared before the worker exists. `sink` (and the reader in `setup`) must stay
    /// valid until the worker is joined: by wait(), the next start or runToCompletion, or the
    /// destructor. The caller empties its list before starting. A sample without any word
    /// starts nothing. Returns whether a worker was started.
    bool start(PassSetup setup, VariantSink& sink);

    /// Runs a whole pass on the calling thread (joining a previous worker first). A stop
    /// request from another thread or from the sink ends it early.
    void runToCompletion(PassSetup setup, VariantSink& sink);

    /// Sets the stop flag; the worker leaves within one candidate.
    void requestStop() noexcept { stopFlag_.store(1); }
    /// Joins the worker, if one was started.
    void wait();

    /// 0 while a pass runs, 1 when none runs or a stop was requested.
    [[nodiscard]] int stopFlag() const noexcept { return stopFlag_.load(); }
    [[nodiscard]] bool running() const noexcept { return stopFlag() == 0; }
    /// Variants accepted in this pass, shown or not (the found count).
    [[nodiscard]] int acceptedCount() const noexcept { return accepted_.load(); }
    /// Search chains tried so far (0..17040; stored schemes do not count); 0 again once the
    /// pass has ended.
    [[nodiscard]] int progress() const noexcept { return progress_.load(); }
    /// Search chains tried by the last pass; unlike progress() it keeps its value at the end.
    [[nodiscard]] int chainsTried() const noexcept { return chainsTried_.load(); }

    /// Maximum variants; a change during a pass applies from the next insertion on.
    void setMaxVariants(int maximum) noexcept;
    [[nodiscard]] int maxVariants() const noexcept { return maxVariants_.load(); }

private:
    void prepare(const PassSetup& setup);
    void run(const PassSetup& setup, VariantSink& sink);

    const Dictionary& dictionary_;
    std::atomic<int> stopFlag_{1};
    std::atomic<int> accepted_{0};
    std::atomic<int> progress_{0};
    std::atomic<int> chainsTried_{0};
    std::atomic<int> maxVariants_{kDefaultVariants};
    std::thread worker_;
};

/// The outcome of a pass run to completion on the calling thread.
struct PassResult {
    std::vector<VariantEntry> variants; ///< the final list, top first
    int found = 0;                      ///< accepted count (may exceed variants.size())
};

/// Runs one pass synchronously and returns the final list (for the command line and tests).
[[nodiscard]] PassResult runPass(const Dictionary& dictionary, PassSetup setup);

} // namespace vorlex::detect
