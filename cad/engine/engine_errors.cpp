#include "cad/engine/engine_errors.h"

namespace cad::engine {

Error drawingClosed() {
    return {errc::kDisconnected,
            u"对象所属的图形已经关闭：打开另一个图形后，之前图形的对象不能再使用。"};
}

Error untitledSave() {
    return {errc::kUntitledSave, u"无法保存未命名的图形：它还没有文件名。请先打开一个图形文件。"};
}

Error fromDrawingError(const dxf::Error& error) { return {error.number(), error.description()}; }

}  // namespace cad::engine
