#pragma once

#include <QApplication>

// The window framework's application object. Its notify is the last resort
// that keeps an exception from crossing Qt's event loop.
class TVqApplication : public QApplication {
    Q_OBJECT
public:
    TVqApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
