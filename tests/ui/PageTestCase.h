// The Qt Test case of the page's tests: each test function gets its own messages and a page
// showing the test book. Listed among a test program's sources, so that moc sees it.
#pragma once

#include <QObject>
#include <optional>

#include "ui/UiTestSupport.h"

namespace numora::test {

class PageTestCase : public QObject {
    Q_OBJECT

protected:
    std::optional<TestRunner> runner;
    std::optional<PageRig> rig;

private slots:
    void init() { runner.emplace(), rig.emplace(), rig->Load(); }
    void cleanup() { rig.reset(), runner.reset(); }
};

}  // namespace numora::test
