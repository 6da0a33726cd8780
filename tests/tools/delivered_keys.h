// The delivered key table (data/key/mykey.key of the source tree), loaded once for the tests.
#pragma once

#include <filesystem>

#include "keytable.h"

inline const kotopa::KeyTable& DeliveredKeys() {
    static const kotopa::KeyTable keys = [] {
        kotopa::KeyTable t;
        t.LoadKeyFile(std::filesystem::path(KOTOPA_SOURCE_DIR) / "data" / "key" / "mykey.key");
        return t;
    }();
    return keys;
}
