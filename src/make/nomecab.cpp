// The analyser of a build without MeCab: there is none.
#include "morph.h"

namespace kotopa::tool {

std::string DefaultDictionary() {
    return std::string();
}

std::unique_ptr<Analyzer> OpenMecab(const std::string&, std::string& error) {
    error = "not available in this build: kotopa-tool was built without MeCab";
    return nullptr;
}

}  // namespace kotopa::tool
