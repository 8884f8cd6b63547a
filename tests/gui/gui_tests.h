// The window's test classes, each made by its factory (defined in its own file).
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace tessaro::testing {

std::unique_ptr<QObject> makeCaseListTest();
std::unique_ptr<QObject> makeAttachmentListTest();
std::unique_ptr<QObject> makePanelTest();
std::unique_ptr<QObject> makeFlowTest();
std::unique_ptr<QObject> makeQtDialogsTest();
std::unique_ptr<QObject> makePlacementTest();

using GuiTestClass = std::pair<const char*, std::function<std::unique_ptr<QObject>()>>;

inline const std::vector<GuiTestClass>& guiTestClasses() {
    static const std::vector<GuiTestClass> classes = {{"CaseListTest", makeCaseListTest},
                                                      {"AttachmentListTest", makeAttachmentListTest},
                                                      {"PanelTest", makePanelTest},
                                                      {"FlowTest", makeFlowTest},
                                                      {"QtDialogsTest", makeQtDialogsTest},
                                                      {"PlacementTest", makePlacementTest}};
    return classes;
}

}  // namespace tessaro::testing
