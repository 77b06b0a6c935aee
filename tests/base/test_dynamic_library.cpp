#include "base/UDynamicLibrary.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace {
using TStrlen = size_t (*)(const char*);
}

TEST(DynamicLibrary, ResolvesFunctionsOfALoadedLibrary)
{
    TDynamicLibrary library("libc.so.6");
    TStrlen length = nullptr;
    library.Resolve(length, "strlen");
    ASSERT_TRUE(library.Loaded()) << library.Error().toStdString();
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("four"), 4u);
}

TEST(DynamicLibrary, AFailureIsNotedOnceAndLeavesEveryLaterFunctionNull)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray notALibrary = QFile::encodeName(dir.filePath(QStringLiteral("libnot-a-library.so.1")));
    QFile file(QFile::decodeName(notALibrary));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a library");
    file.close();

    struct Case {
        const char* name;
        QByteArray soname;
        const char* missing;   // the function that is not there; null: the library fails
        const char* says;
    };
    const Case cases[] = {
        {"no such library", "libvq-no-such-library.so.7", nullptr, "libvq-no-such-library.so.7"},
        {"not a library", notALibrary, nullptr, "libnot-a-library.so.1"},
        {"no such function", "libc.so.6", "vq_no_such_function", "vq_no_such_function"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDynamicLibrary library(c.soname.constData());
        TStrlen missing = nullptr;
        if (c.missing)
            library.Resolve(missing, c.missing);
        TStrlen length = reinterpret_cast<TStrlen>(&std::strlen);
        library.Resolve(length, "strlen");
        EXPECT_FALSE(library.Loaded());
        EXPECT_TRUE(library.Error().contains(QLatin1String(c.says))) << library.Error().toStdString();
        EXPECT_EQ(missing, nullptr);
        EXPECT_EQ(length, nullptr);
    }
}
