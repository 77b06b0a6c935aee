// vantorquill-demo-profile: writes the logon profile of the user's demo
// server, so that the logon dialog offers it ready to use. A shell cannot
// encipher the password, so scripts/first-run.sh runs this after each start.
//   vantorquill-demo-profile USER PORT DATABASE PASSWORD_FILE
#include "base/UException.h"
#include "db/UDemoProfile.h"

#include <QFile>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s USER PORT DATABASE PASSWORD_FILE\n", argv[0]);
        return 2;
    }
    TDemoProfile profile;
    profile.Username = QString::fromLocal8Bit(argv[1]);
    bool ok = false;
    profile.Port = QString::fromLocal8Bit(argv[2]).toInt(&ok);
    profile.Database = QString::fromLocal8Bit(argv[3]);
    if (!ok || profile.Port <= 0 || profile.Port > 65535) {
        std::fprintf(stderr, "not a port: %s\n", argv[2]);
        return 2;
    }
    QFile passwordFile(QString::fromLocal8Bit(argv[4]));
    if (!passwordFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[4]);
        return 1;
    }
    profile.Password = QString::fromUtf8(passwordFile.readAll()).trimmed();
    try {
        profile.Write();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ExceptionMessage(e).toUtf8().constData());
        return 1;
    }
    std::printf("Logon profile %s written.\n", profile.ProfileName().toUtf8().constData());
    return 0;
}
