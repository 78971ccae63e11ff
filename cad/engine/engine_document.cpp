#include "cad/engine/engine_document.h"

#include "base/path_name.h"
#include "cad/engine/engine_errors.h"
#include "cad/engine/engine_model_space.h"

namespace cad::engine {

namespace {

class EngineDocument : public Document {
public:
    explicit EngineDocument(std::shared_ptr<Session> session) : session_(std::move(session)) {}

    std::shared_ptr<Document> open(const std::u16string& fullPath) override {
        // The new drawing is read completely before it replaces the open one, so a drawing that
        // fails to open leaves the open one as it was.
        session_->replace(translated([&] {
            return dxf::Drawing::open(base::pathOf(fullPath), &session_->drawing(),
                                      session_->openOptions());
        }));
        return std::make_shared<EngineDocument>(session_);
    }

    void save() override {
        dxf::Drawing& drawing = session_->drawing();
        if (drawing.untitled()) throw untitledSave();
        translated([&] { drawing.save(); });
    }

    std::shared_ptr<ModelSpace> modelSpace() override {
        return makeModelSpace(DrawingRef(session_));
    }

    std::vector<std::shared_ptr<ModelSpace>> paperSpaceLayouts() override {
        return makeLayouts(DrawingRef(session_));
    }

    std::optional<CodePageReport> codePage() override {
        const dxf::CodePageUse use = session_->drawing().codePage();
        return CodePageReport{{use.name.begin(), use.name.end()}, use.guessed};  // names are ASCII
    }

private:
    std::shared_ptr<Session> session_;
};

}  // namespace

std::shared_ptr<Document> makeDocument(std::shared_ptr<Session> session) {
    return std::make_shared<EngineDocument>(std::move(session));
}

}  // namespace cad::engine
