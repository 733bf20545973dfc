// Qt's own texts in the window (Yes and No, the file dialogs, the edit menus
// of text fields) in Japanese, like everything else the window shows.
#pragma once

class QTranslator;

namespace kalvento::gui {

// Loads qtbase_ja from Qt's translations folder into the running
// application, whatever the locale: the window is Japanese everywhere. The
// translator belongs to the application; nullptr when the translation is not
// installed (Qt's English stays).
QTranslator* install_qt_japanese();

}  // namespace kalvento::gui
