// Qt's own dialogs and widgets (the file dialog, the standard buttons, the context menus of the
// edit boxes) speak the interface's language: Qt's Japanese translations are loaded from the
// system's Qt translation folder into the application.
#pragma once

class QTranslator;

// Loads qtbase_ja into a translator owned by the application object and installs it. The
// translator, or nullptr when the translations are not installed on this system (Qt's dialogs
// then keep their English texts). Call once, after the application object exists.
QTranslator *installQtTranslations();
