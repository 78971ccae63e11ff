#include "scripted_cad.h"

#include "base/hresult.h"
#include "cad/error.h"

namespace testing_support {

namespace {

class ScriptedDocument : public cad::Document {
public:
    explicit ScriptedDocument(std::shared_ptr<CadScript> script) : script_(std::move(script)) {}
    std::shared_ptr<cad::Document> open(const std::u16string& fullPath) override {
        script_->opened.push_back(fullPath);
        if (script_->onOpen) script_->onOpen(fullPath);
        throw cad::Error(base::hresult(0x80070002), u"找不到图形文件：" + fullPath);
    }
    void save() override { throw cad::Error(base::hresult(0x80004005), u"不能保存"); }
    std::shared_ptr<cad::ModelSpace> modelSpace() override { throw cad::objectNotSet(); }

private:
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
    std::shared_ptr<cad::Application> attach(std::u16string_view) override { return reach(); }
    std::shared_ptr<cad::Application> launch(std::u16string_view) override { return reach(); }

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
