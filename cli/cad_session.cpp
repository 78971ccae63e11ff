#include "cli/cad_session.h"

#include "base/unicode.h"
#include "cad/platform_connector.h"

namespace cli {

CadSession::CadSession(Console& console)
    : connector_(cad::makePlatformConnector(console.cad)),
      connection_(cad::startUp(*connector_, fields_, [&console](const std::u16string& text) {
          console.err << "警告: " << base::utf16ToUtf8(text) << '\n' << std::flush;
      })) {}

}  // namespace cli
