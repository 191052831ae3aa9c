// Only one copy of the program runs per user. The first copy holds a lock
// file and listens on a local socket beside it, both named
// "CInstanceChecker_MMF_" + application name, in a directory only the user
// can reach: $XDG_RUNTIME_DIR, or else a private "kelvane-<uid>" folder in
// the temporary directory. A second copy of the same user connects, asks the
// first to come to the front and ends. The lock (flock) ends with its holder,
// so a copy that crashed never keeps the next one from starting, and the
// socket file it left behind is replaced. Other users' copies live in their
// own directories and never meet this one; a directory that another user
// owns or may write is not used at all, and the program then runs without
// the check rather than not at all.
//
// Unlike a record that the check writes and forgets, the listener must stay
// open for the first copy's whole life: the main window keeps the checker
// as a member and connects ActivationRequested to its own restore routine.
#pragma once

#include <QObject>
#include <QString>

#include <sys/types.h>

#include <memory>
#include <vector>

class QSocketNotifier;
class QWidget;

class CInstanceChecker : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kNamePrefix = "CInstanceChecker_MMF_";
    static constexpr const char* kApplicationName = "kelvane";
    // The socket's path for this process's user: "CInstanceChecker_MMF_" +
    // applicationName in PrivateDirectory's choice; empty without one.
    static QString NameFor(const QString& applicationName);
    // The user's private directory for the name: runtimeDirectory when it is
    // an absolute path to a directory owned by uid that no one else may
    // write; otherwise tempDirectory/kelvane-<uid>, created mode 0700 when
    // missing and used only when it then passes the same test (not a
    // symbolic link). Empty when neither does.
    static QString PrivateDirectory(const char* runtimeDirectory, const QString& tempDirectory, uid_t uid);

    // name: the socket's path (its lock file is name + ".lock"); tests give
    // paths of their own. An empty name never finds a previous copy and is
    // never tracked.
    explicit CInstanceChecker(QString name = NameFor(kApplicationName), QObject* parent = nullptr);
    ~CInstanceChecker() override;

    // True when another copy listens under the name (the connection is kept
    // for ActivatePreviousInstance).
    bool IsPreviousInstanceRunning();
    // Asks the copy found by IsPreviousInstanceRunning to restore and raise
    // its main window. True when the request went out; false without a
    // previous copy. The connection is closed either way.
    bool ActivatePreviousInstance();
    // Takes the lock and starts listening. True when this copy now holds the
    // name; false when another copy already does (or the name cannot be used).
    bool TrackFirstInstance();
    bool IsTracking() const;
    // True after TrackFirstInstance found the name held by another copy:
    // one listening, or one that took the lock an instant before and is
    // about to listen.
    bool IsNameTaken() const { return m_nameTaken; }

    const QString& Name() const { return m_name; }

    // What a main window does on ActivationRequested when it has no routine
    // of its own: back from hidden or minimised, raised and activated.
    static void BringToFront(QWidget& window);

signals:
    // A later copy asked this one to come to the front.
    void ActivationRequested();

private:
    // A later copy connected to the listener, and what it has sent so far.
    struct SClient;

    void OnNewConnection();
    void OnClientReadable(SClient& client);
    void Drop(SClient& client);
    void ClosePrevious();

    QString m_name;
    // The listener and the connection to a previous copy: plain stream
    // sockets on the path.
    int m_serverFd = -1;
    QSocketNotifier* m_serverNotifier = nullptr;
    std::vector<std::unique_ptr<SClient>> m_clients;
    int m_previousFd = -1;
    int m_lockFd = -1;
    bool m_nameTaken = false;
};
