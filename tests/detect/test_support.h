// Shared helpers of the detect tests: byte conversions, a sink that records every list
// operation, the built-in schemes, and Russian prose to recode.
#pragma once

#include "detect/pass.h"
#include "engine/cp1251.h"
#include "engine/recode.h"
#include "reference_pass.h"

#include <atomic>
#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vorlex::detect::test {

inline std::string win(std::string_view utf8) {
    const auto result = engine::utf8ToWin1251(utf8);
    EXPECT_TRUE(result.ok()) << "test text not representable in Windows-1251";
    return result.bytes;
}

inline std::string utf8(std::string_view win1251) {
    return engine::win1251ToUtf8(win1251);
}

/// Recodes a whole document through an action string.
inline std::string recodeWhole(std::string_view document, std::string_view action) {
    const engine::FilterList chain = engine::parseAction(action);
    std::vector<std::uint8_t> work(document.size() * 2 + 16);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(document.data());
    const engine::DocumentResult result = engine::recodeDocument(
        std::span<const std::uint8_t>(bytes, document.size()), work, chain, {});
    EXPECT_EQ(result.status, engine::RecodeStatus::ok);
    return std::string(reinterpret_cast<const char*>(work.data()), result.length);
}

/// Records every operation and keeps the list it describes; usable from the worker thread.
class RecordingSink : public VariantSink {
public:
    void insert(int index, const VariantEntry& entry) override {
        std::lock_guard lock(mutex_);
        ops_.push_back({ListOp::insert, index, entry.line, entry.score, entry.maximum});
        list_.insert(list_.begin() + index, entry);
        after();
    }
    void append(const VariantEntry& entry) override {
        std::lock_guard lock(mutex_);
        ops_.push_back({ListOp::append, -1, entry.line, entry.score, entry.maximum});
        list_.push_back(entry);
        after();
    }
    void remove(int index) override {
        std::lock_guard lock(mutex_);
        ops_.push_back({ListOp::remove, index, "", 0, 0});
        list_.erase(list_.begin() + index);
        after();
    }

    std::vector<ListOp> ops() const {
        std::lock_guard lock(mutex_);
        return ops_;
    }
    std::vector<VariantEntry> list() const {
        std::lock_guard lock(mutex_);
        return list_;
    }

    /// Called after each operation, under the sink's lock (on the pass's thread).
    std::function<void(std::size_t opCount)> onOperation;

private:
    void after() {
        if (onOperation)
            onOperation(ops_.size());
    }

    mutable std::mutex mutex_;
    std::vector<ListOp> ops_;
    std::vector<VariantEntry> list_;
};

/// The 23 built-in schemes (sections 0..22) as a store would hold them.
inline const std::vector<std::string> kBuiltInActions = {
    "ai",    "ak", "aw",    "ia",    "ik",    "iw", "ka",    "ki",    "kw",    "wa", "wi", "wk",
    "wk wk", "wl", "kw wl", "aw wl", "iw wl", "lw", "lw wk", "lw wa", "lw wi", "mw", "wm"};

/// Scheme box items: "Auto" and then the built-in schemes 0..22.
inline std::vector<int> builtInItems() {
    std::vector<int> items{-1};
    for (int i = 0; i < static_cast<int>(kBuiltInActions.size()); ++i)
        items.push_back(i);
    return items;
}

/// A reader over a map from scheme number to action; absent numbers read as the marker.
inline ActionReader readerOf(std::map<int, std::string> actions) {
    return [actions = std::move(actions)](int number) {
        const auto found = actions.find(number);
        return found == actions.end() ? std::string(kMissingValue) : found->second;
    };
}

inline ActionReader builtInReader() {
    std::map<int, std::string> actions;
    for (int i = 0; i < static_cast<int>(kBuiltInActions.size()); ++i)
        actions[i] = kBuiltInActions[static_cast<std::size_t>(i)];
    return readerOf(std::move(actions));
}

/// Ordinary Russian prose, written for these tests (no ё, plain ASCII punctuation).
inline constexpr std::string_view kMorningText =
    "Мы вышли из дома рано утром, когда еще не было видно солнца. На улице было тихо и "
    "холодно, но он сказал, что это не так уж плохо. Она шла рядом и молчала. Где-то вдали "
    "лаяла собака, и мы не знали, куда идти дальше. Все дома вокруг были темными, только в "
    "одном окне горел свет.\r\n"
    "Что нам делать теперь? Он сел на старую скамью и долго смотрел на реку. Я не мог понять, "
    "зачем мы пришли сюда, но ни о чем не спросил. Вода была темной и тихой, как будто время "
    "здесь не шло. Если бы кто-то спросил меня тогда, что я думаю, я бы не смог ответить.\r\n"
    "Потом она сказала, что пора идти домой. Мы встали и пошли по той же дороге назад. День "
    "только начинался, и впереди было еще так много дел. Но я знал, что этот час у реки я "
    "буду помнить всю жизнь.\r\n";

inline constexpr std::string_view kManualText =
    "Для работы с файлом нужно открыть его в программе и выбрать нужный код. Если текст "
    "выглядит как набор странных знаков, то его можно перекодировать. Это легко сделать за "
    "пару секунд. В окне программы есть список, где видны все варианты. Выберите тот, что "
    "читается лучше всего, и нажмите на кнопку. Вот и все: файл готов, и его можно сохранить "
    "под новым именем. Если же ни один вариант не подходит, попробуйте другой код или "
    "поменяйте точность поиска в настройках.\n";

inline constexpr std::string_view kLetterText =
    "Дорогой друг! Пишу тебе из деревни, где мы живем уже третью неделю, а дни идут тихо: утром "
    "я хожу к реке, днем читаю, а вечером мы сидим у огня и говорим обо всем на свете. Вчера "
    "к нам пришел сосед, он принес мед и рыбу. Ты бы видел, как он рад был нас видеть! Как "
    "твои дела? Что нового в городе? Пиши мне, когда будет время, я жду твоего письма.\n";

} // namespace vorlex::detect::test
