#include "cli/cad_session.h"

#include "base/unicode.h"
#include "cad/platform_connector.h"

namespace cli {

cad::ConnectorOptions CadSession::optionsFor(const Console& console, Walk walk) {
    cad::ConnectorOptions options = console.cad;
    options.titleBlocksOnly = walk == Walk::kTitleBlocks;
    return options;
}

CadSession::CadSession(Console& console, Walk walk)
    : connector_(cad::makePlatformConnector(optionsFor(console, walk))),
      connection_(cad::startUp(*connector_, fields_, [&console](const std::u16string& text) {
          console.err << "警告: " << base::utf16ToUtf8(text) << '\n' << std::flush;
      })) {}

}  // namespace cli
