// The widget tests' shared parts: registration of the test classes that the
// one test executable runs, and helpers that find controls and answer the
// window's dialogs and popups.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMessageBox>
#include <QObject>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace kalvento::test {

using GuiTestFactory = std::function<std::unique_ptr<QObject>()>;
bool register_gui_test(const std::string& name, GuiTestFactory factory);

#define KALVENTO_GUI_TEST(Class)                            \
    [[maybe_unused]] static const bool kRegistered##Class = \
        ::kalvento::test::register_gui_test(#Class, [] { return std::make_unique<Class>(); })

// The child of `parent` with this objectName and type; fails the test when missing.
template <typename T>
T* child(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) qWarning("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// What a helper below reports once it has acted; tests QVERIFY it.
using Done = std::shared_ptr<bool>;

// Runs `act` once the next popup menu is open (from the event loop of its
// exec()); `act` gets the menu and must close it, e.g. by triggering an action.
Done when_popup_opens(std::function<void(QMenu*)> act);

// Runs `act` once a modal dialog of type T is open.
template <typename T>
Done when_dialog_opens(std::function<void(T*)> act, int timeout_ms = 30000);

// Clicks the button of a message box with that role.
void answer(QMessageBox* box, QMessageBox::StandardButton button);

void when_popup_opens_impl(std::function<void(QMenu*)> act, int tries_left, Done done);

template <typename T>
void when_dialog_opens_impl(std::function<void(T*)> act, int timeout_ms, Done done) {
    if (timeout_ms <= 0) {
        qWarning("no dialog opened");
        return;
    }
    QTimer::singleShot(20, [act, timeout_ms, done] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<T*>(widget); dialog != nullptr && dialog->isVisible()) {
                act(dialog);
                *done = true;
                return;
            }
        }
        when_dialog_opens_impl<T>(act, timeout_ms - 20, done);
    });
}

template <typename T>
Done when_dialog_opens(std::function<void(T*)> act, int timeout_ms) {
    Done done = std::make_shared<bool>(false);
    when_dialog_opens_impl<T>(std::move(act), timeout_ms, done);
    return done;
}

}  // namespace kalvento::test
