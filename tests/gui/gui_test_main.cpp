// Runs the QTest class named as the first argument (all of them without one);
// the remaining arguments go to QTest.
#include "tests/gui/gui_test.h"

#include <QAbstractButton>
#include <QFont>

#include <cstdio>
#include <vector>

namespace kalvento::test {
namespace {

std::map<std::string, GuiTestFactory>& registry() {
    static std::map<std::string, GuiTestFactory> tests;
    return tests;
}

}  // namespace

bool register_gui_test(const std::string& name, GuiTestFactory factory) {
    registry().emplace(name, std::move(factory));
    return true;
}

void when_popup_opens_impl(std::function<void(QMenu*)> act, int tries_left, Done done) {
    QTimer::singleShot(20, [act, tries_left, done] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            act(menu);
            *done = true;
        } else if (tries_left > 0) {
            when_popup_opens_impl(act, tries_left - 1, done);
        } else {
            qWarning("no popup opened");
        }
    });
}

Done when_popup_opens(std::function<void(QMenu*)> act) {
    Done done = std::make_shared<bool>(false);
    when_popup_opens_impl(std::move(act), 1500, done);
    return done;
}

void answer(QMessageBox* box, QMessageBox::StandardButton button) {
    if (box == nullptr) return;
    if (QAbstractButton* b = box->button(button)) b->click();
}

}  // namespace kalvento::test

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    const auto& tests = kalvento::test::registry();
    std::vector<std::string> names;
    std::vector<char*> qtest_args = {argv[0]};
    if (argc > 1 && tests.count(argv[1]) != 0) {
        names.push_back(argv[1]);
        for (int i = 2; i < argc; ++i) qtest_args.push_back(argv[i]);
    } else {
        for (const auto& [name, factory] : tests) names.push_back(name);
        for (int i = 1; i < argc; ++i) qtest_args.push_back(argv[i]);
    }
    int failures = 0;
    for (const std::string& name : names) {
        std::unique_ptr<QObject> test = tests.at(name)();
        failures +=
            QTest::qExec(test.get(), static_cast<int>(qtest_args.size()), qtest_args.data());
    }
    return failures == 0 ? 0 : 1;
}
