// The two settings stores behind one typed fixture, so that every shared rule is checked on
// both: the in-memory one and the QSettings one on a fresh INI file of its own.
#pragma once

#include "store/memory_settings_store.h"
#include "store/qsettings_store.h"
#include "store/settings_store.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <type_traits>

namespace vorlex::store::testing {

struct MemoryStoreMaker {
    std::unique_ptr<SettingsStore> open() { return std::make_unique<MemorySettingsStore>(); }
};

struct IniStoreMaker {
    QTemporaryDir dir;
    std::string path() const { return (dir.path() + QStringLiteral("/VORLEX.INI")).toStdString(); }
    std::unique_ptr<SettingsStore> open() { return std::make_unique<QSettingsStore>(path()); }
};

template <class Maker> class StoreTest : public ::testing::Test {
protected:
    Maker maker;
    std::unique_ptr<SettingsStore> store = maker.open();
};

using StoreMakers = ::testing::Types<MemoryStoreMaker, IniStoreMaker>;

class StoreMakerNames {
public:
    template <class T> static std::string GetName(int) {
        return std::is_same_v<T, MemoryStoreMaker> ? "Memory" : "Ini";
    }
};

} // namespace vorlex::store::testing
