#include "cad/engine/engine_connector.h"

#include <algorithm>

#include "cad/engine/engine_document.h"
#include "cad/engine/session.h"
#include "cad/error.h"
#include "storage/save_in_progress.h"

namespace cad::engine {

namespace {

// ProgIDs are compared without regard to letter case, as the platform's registry does.
bool isCadProgId(std::u16string_view progId) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::equal(progId.begin(), progId.end(), kProgId.begin(), kProgId.end(),
                      [&](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

void requireCadProgId(std::u16string_view progId) {
    if (!isCadProgId(progId)) {
        throw Error(errc::kInvalidProgId, u"无效的类字符串：“" + std::u16string(progId) +
                                              u"”不是已注册的 CAD 应用程序。");
    }
}

class EngineApplication : public Application {
public:
    explicit EngineApplication(dxf::OpenOptions openOptions)
        : session_(std::make_shared<Session>(openOptions)) {}

    void putVisible(bool) override {}  // the engine has no window to show
    std::shared_ptr<Document> activeDocument() override { return makeDocument(session_); }
    // Engines share nothing but the files they open, and each file's lock keeps them apart.
    std::shared_ptr<Application> independentInstance() override {
        return std::make_shared<EngineApplication>(session_->openOptions());
    }
    bool servesWorkers() const override { return true; }

private:
    std::shared_ptr<Session> session_;
};

class EngineConnector : public Connector {
public:
    explicit EngineConnector(dxf::OpenOptions openOptions) : openOptions_(openOptions) {}

    std::shared_ptr<Application> attach(std::u16string_view progId) override {
        requireCadProgId(progId);
        throw Error(errc::kUnavailable,
                    u"操作无法使用：没有正在运行的 " + std::u16string(kProgId) + u" 实例。");
    }

    std::shared_ptr<Application> launch(std::u16string_view progId) override {
        requireCadProgId(progId);
        return std::make_shared<EngineApplication>(openOptions_);
    }

private:
    dxf::OpenOptions openOptions_;
};

}  // namespace

std::unique_ptr<Connector> makeEngineConnector(const ConnectorOptions& options) {
    return std::make_unique<EngineConnector>(dxf::OpenOptions{
        .claim = options.holdDrawings ? dxf::Claim::kUntilClosed : dxf::Claim::kWhileBusy,
        .reach = options.titleBlocksOnly ? dxf::Reach::kAttributedBlockReferences
                                         : dxf::Reach::kEveryEntity});
}

void deferTerminationDuringSaves() { storage::deferTerminationDuringSaves(); }

}  // namespace cad::engine
