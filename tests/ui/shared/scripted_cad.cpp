#include "scripted_cad.h"

#include "base/hresult.h"
#include "cad/error.h"

namespace testing_support {

namespace {

class ScriptedLine : public cad::Entity {
public:
    std::u16string entityName() override { return u"AcDbLine"; }
    std::shared_ptr<cad::BlockReference> asBlockReference() override {
        throw cad::Error(cad::errc::kNoInterface, u"不是块参照");
    }
};

// Three lines, of which the second cannot be fetched when there is a failure.
class LinesModelSpace : public cad::ModelSpace {
public:
    explicit LinesModelSpace(std::optional<cad::Error> failure) : failure_(std::move(failure)) {}
    std::int32_t count() override { return 3; }
    std::shared_ptr<cad::Entity> item(std::int32_t index) override {
        if (index == 1 && failure_) throw *failure_;
        return std::make_shared<ScriptedLine>();
    }

private:
    std::optional<cad::Error> failure_;
};

class ScriptedDocument : public cad::Document {
public:
    explicit ScriptedDocument(std::shared_ptr<CadScript> script) : script_(std::move(script)) {}
    std::shared_ptr<cad::Document> open(const std::u16string& fullPath) override {
        script_->opened.push_back(fullPath);
        if (script_->onOpen) script_->onOpen(fullPath);
        if (opens()) return nullptr;
        throw cad::Error(base::hresult(0x80070002), u"找不到图形文件：" + fullPath);
    }
    void save() override {
        if (!script_->opens) throw cad::Error(base::hresult(0x80004005), u"不能保存");
    }
    std::shared_ptr<cad::ModelSpace> modelSpace() override {
        if (!opens()) throw cad::objectNotSet();
        return std::make_shared<LinesModelSpace>(script_->walkFailure);
    }
    std::vector<std::shared_ptr<cad::ModelSpace>> paperSpaceLayouts() override { return {}; }

private:
    bool opens() const { return script_->opens || script_->walkFailure; }
    std::shared_ptr<CadScript> script_;
};

class ScriptedApplication : public cad::Application {
public:
    explicit ScriptedApplication(std::shared_ptr<CadScript> script) : script_(std::move(script)) {}
    void putVisible(bool) override {}
    std::shared_ptr<cad::Document> activeDocument() override {
        return std::make_shared<ScriptedDocument>(script_);
    }

private:
    std::shared_ptr<CadScript> script_;
};

class ScriptedConnector : public cad::Connector {
public:
    explicit ScriptedConnector(std::shared_ptr<CadScript> script) : script_(std::move(script)) {}
    std::shared_ptr<cad::Application> attach(std::u16string_view) override {
        if (script_->standsIn) throw cad::Error(cad::errc::kUnavailable, u"没有正在运行的实例");
        return reach();
    }
    std::shared_ptr<cad::Application> launch(std::u16string_view) override { return reach(); }
    std::optional<cad::StandIn> standIn() const override {
        if (!script_->standsIn) return std::nullopt;
        return cad::StandIn{cad::Error(cad::errc::kInvalidProgId, u"无法启动 CAD 应用程序（测试）"),
                            u"内置引擎代替它（测试）"};
    }

private:
    std::shared_ptr<cad::Application> reach() {
        if (!script_->reachable) {
            throw cad::Error(cad::errc::kUnavailable, u"没有可用的 CAD 应用程序（测试）");
        }
        return std::make_shared<ScriptedApplication>(script_);
    }
    std::shared_ptr<CadScript> script_;
};

}  // namespace

std::unique_ptr<cad::Connector> scriptedConnector(std::shared_ptr<CadScript> script) {
    return std::make_unique<ScriptedConnector>(std::move(script));
}

}  // namespace testing_support
