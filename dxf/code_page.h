#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "base/code_page.h"

namespace dxf {

// A legacy code page named by $DWGCODEPAGE, with the names the converters know it by.
struct CodePageInfo {
    std::string_view dxfName;  // as $DWGCODEPAGE spells it, e.g. "ANSI_936"
    base::CodePageId id;       // e.g. {936, "CP936"}
};

// The code page that $DWGCODEPAGE `name` names (any letter case, the aliases other writers use
// included), or nothing when unknown.
std::optional<CodePageInfo> findCodePage(std::string_view name);
// Every code page a drawing can name, each once under its own $DWGCODEPAGE name.
std::vector<CodePageInfo> knownCodePages();
// The code page of drawings that name none or an unknown one.
CodePageInfo defaultCodePage();
// The code page of a \M+n escape (n = 1 … 5), or nothing.
std::optional<CodePageInfo> multibyteEscapeCodePage(char digit);

}  // namespace dxf
