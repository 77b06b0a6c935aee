// The peer of a command-line run that ends at once: a small QtCore program
// that reads its arguments, finds the task file missing, says so on standard
// error and exits with 1. Built three times: on QtCore alone; linking the
// non-window libraries that the program links (VQP_LINK_LIBRARIES: QtNetwork,
// libmariadb, PCRE2); and linking libssh and libcurl besides
// (VQP_LINK_SSH_CURL), which the program opens only when a run needs them.
// Each library is called once so that none is left out of the link.
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <cstdio>

#ifdef VQP_LINK_LIBRARIES
#include <QHostAddress>
#include <mysql.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#endif
#ifdef VQP_LINK_SSH_CURL
#include <curl/curl.h>
#include <libssh/libssh.h>
#endif

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QString task;
    for (const QString& argument : arguments)
        if (argument.startsWith(QLatin1String("task="), Qt::CaseInsensitive))
            task = argument.mid(5);
    // Never true: keeps every library in the link without running it.
    if (argc < 0) {
#ifdef VQP_LINK_LIBRARIES
        std::printf("%lu %s %d\n", mysql_get_client_version(),
                    qPrintable(QHostAddress(QHostAddress::LocalHost).toString()),
                    pcre2_config(PCRE2_CONFIG_UNICODE, nullptr));
#endif
#ifdef VQP_LINK_SSH_CURL
        std::printf("%s %s\n", ssh_version(0), curl_version());
#endif
    }
    if (!QFileInfo(task).isFile()) {
        std::fprintf(stderr, "task file: %s not exists.\n", task.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
