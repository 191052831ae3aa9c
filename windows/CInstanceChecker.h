// Only one copy of the program runs. The first copy listens on a local
// socket in the abstract namespace, "CInstanceChecker_MMF_" + application
// name; a second copy finds it by connecting, asks it to come to the front
// and ends. An abstract name lives exactly as long as its listener, so a
// copy that crashed never keeps the next one from starting.
//
// Unlike a record that the check writes and forgets, the listener must stay
// open for the first copy's whole life: the main window keeps the checker
// as a member and connects ActivationRequested to its own restore routine.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;
class QWidget;

class CInstanceChecker : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kNamePrefix = "CInstanceChecker_MMF_";
    static constexpr const char* kApplicationName = "kelvane";
    // "CInstanceChecker_MMF_" + applicationName.
    static QString NameFor(const QString& applicationName);

    // name: the listener's name; tests give names of their own.
    explicit CInstanceChecker(QString name = NameFor(kApplicationName), QObject* parent = nullptr);
    ~CInstanceChecker() override;

    // True when another copy listens under the name (the connection is kept
    // for ActivatePreviousInstance).
    bool IsPreviousInstanceRunning();
    // Asks the copy found by IsPreviousInstanceRunning to restore and raise
    // its main window. True when the request went out; false without a
    // previous copy. The connection is closed either way.
    bool ActivatePreviousInstance();
    // Starts listening. True when this copy now holds the name; false when
    // another copy already does (or the name cannot be used).
    bool TrackFirstInstance();
    bool IsTracking() const;
    // True after TrackFirstInstance found the name held by another copy:
    // one listening, or one that bound it an instant before and is about to.
    bool IsNameTaken() const { return m_nameTaken; }

    const QString& Name() const { return m_name; }

    // What a main window does on ActivationRequested when it has no routine
    // of its own: back from hidden or minimised, raised and activated.
    static void BringToFront(QWidget& window);

signals:
    // A later copy asked this one to come to the front.
    void ActivationRequested();

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
    QLocalSocket* m_previous = nullptr;
    bool m_nameTaken = false;
};
