#pragma once

#include <QString>

// The logon profile of the user's demo server, written as the logon dialog
// would save it after connecting: "user@127.0.0.1:port:database", Save
// Password on with the password enciphered, Use Unicode on, no SSH.
//
// A demo profile of the same user and database on another port is an old
// one and goes. The new profile becomes the last one when that is empty or
// names a demo profile; a user's own choice is kept.
struct TDemoProfile {
    static inline const QString Server = QStringLiteral("127.0.0.1");

    QString Username;
    int Port = 0;
    QString Database;
    QString Password;

    QString ProfileName() const;
    // Whether name is a demo profile of this user and database, any port.
    bool IsDemoProfileName(const QString& name) const;
    // Saves the profile, removes the old ones and sets the last profile.
    void Write() const;
};
