#pragma once
// One running program per data folder. The first start on a folder listens on
// a local socket named after the folder and the user; a later start on that
// folder asks the first, through the socket, to bring its window forward, and
// ends. The socket a killed program left behind answers no connection, and the
// next start replaces it. Starts on different folders run side by side.

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QString>

#include <chrono>
#include <functional>
#include <string>

class QLocalSocket;

namespace ui {

class SingleInstance {
public:
    enum class Claim {
        First,      // this start has the folder and listens for later ones
        Forwarded,  // a running program has the folder and brought its window forward
        Unanswered, // a running program has the folder but did not answer in time
        Alone,      // no socket could be had for the folder; this start runs all the same
    };

    explicit SingleInstance(const std::string& dataFolder);
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Asks a running program on the folder to bring its window forward, or,
    // when none answers the socket, takes the folder. Blocks for at most
    // kClaimLimit, a few milliseconds unless another start claims at the same
    // moment or the running program is slow to answer.
    Claim claim();

    // A later start's request, on the GUI thread: whether the window came
    // forward. When it cannot (the window has unloaded and the program is
    // ending), this program stops listening and the later start takes the folder.
    std::function<bool()> onRequest;

    // The socket's path: the user's runtime folder (else the temporary
    // folder), the user's id and a hash of the folder's canonical path.
    const QString& serverName() const { return m_name; }

    static constexpr std::chrono::milliseconds kClaimLimit{5000};

private:
    enum class Asked { Forwarded, Gone, NoServer, Unanswered, Foreign };
    Asked ask(const QDeadlineTimer& deadline) const;
    bool listen();
    void answer(QLocalSocket& connection);

    QString m_name;
    QLocalServer m_server;
};

} // namespace ui
