// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QMap>
#include <QTest>
#include <QXmlStreamReader>
#include <cstring>
#include <memory>
#include <qt_windows.h>

// The manifest, the version resource and the icon are compiled into zp-client.exe from a resource
// script that CMake only uses on Windows; a typo there, a resource the linker dropped or a
// version left behind after a release would pass every other test.
namespace {

const QString client = QStringLiteral(ZP_CLIENT_PATH);

struct FreeModule
{
    void operator()(HMODULE module) const { FreeLibrary(module); }
};

// The bytes of one resource of zp-client.exe, or nothing.
QByteArray resource(const wchar_t *name, const wchar_t *type)
{
    const std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule> module(
        LoadLibraryExW(reinterpret_cast<const wchar_t *>(client.utf16()), nullptr,
            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!module)
        return {};
    HRSRC found = FindResourceW(module.get(), name, type);
    HGLOBAL loaded = found ? LoadResource(module.get(), found) : nullptr;
    if (!loaded)
        return {};
    return QByteArray(
        static_cast<const char *>(LockResource(loaded)), SizeofResource(module.get(), found));
}

// The loader reads the process's manifest from resource 1 of type RT_MANIFEST.
QByteArray manifest()
{
    return resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
}

#ifdef ZP_HAS_ICON
// One picture of an icon group, as the resource compiler lays it out.
#pragma pack(push, 2)
struct GroupIconEntry
{
    BYTE width; // 0 for 256
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id; // of the RT_ICON resource that holds the picture
};
#pragma pack(pop)

// The pictures of the icon that Explorer and the window class take, by their size in pixels.
QMap<int, QByteArray> iconPictures()
{
    const QByteArray group = resource(L"IDI_ICON1", MAKEINTRESOURCEW(14)); // RT_GROUP_ICON
    constexpr qsizetype header = 6;
    if (group.size() < header)
        return {};
    const int count = *reinterpret_cast<const WORD *>(group.constData() + 4);
    if (group.size() < header + count * qsizetype(sizeof(GroupIconEntry)))
        return {};
    QMap<int, QByteArray> pictures;
    for (int i = 0; i < count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.constData() + header + i * sizeof(GroupIconEntry), sizeof entry);
        const int size = entry.width == 0 ? 256 : entry.width;
        pictures.insert(size, resource(MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3))); // RT_ICON
    }
    return pictures;
}
#endif

// The text of the first element with the given local name, or the value of one of its
// attributes; with a parent, only an element directly inside such a parent counts.
QString manifestValue(
    const QByteArray &xml, const QString &parent, const QString &element, const QString &attribute)
{
    QXmlStreamReader reader(xml);
    QStringList open;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::EndElement) {
            open.removeLast();
        } else if (token == QXmlStreamReader::StartElement) {
            if (reader.name() == element
                && (parent.isEmpty() || (!open.isEmpty() && open.last() == parent))) {
                return attribute.isEmpty() ? reader.readElementText()
                                           : reader.attributes().value(attribute).toString();
            }
            open.append(reader.name().toString());
        }
    }
    return {};
}

QByteArray versionInfo()
{
    const auto path = reinterpret_cast<const wchar_t *>(client.utf16());
    DWORD handle = 0;
    QByteArray data(GetFileVersionInfoSizeW(path, &handle), '\0');
    if (data.isEmpty() || !GetFileVersionInfoW(path, 0, DWORD(data.size()), data.data()))
        return {};
    return data;
}

QString fixedVersion(const QByteArray &info, bool product)
{
    void *value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(info.constData(), L"\\", &value, &size) || size < sizeof(VS_FIXEDFILEINFO))
        return {};
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
    const DWORD high = product ? fixed->dwProductVersionMS : fixed->dwFileVersionMS;
    const DWORD low = product ? fixed->dwProductVersionLS : fixed->dwFileVersionLS;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(HIWORD(high))
        .arg(LOWORD(high))
        .arg(HIWORD(low))
        .arg(LOWORD(low));
}

// A string of the first language and code page the resource lists, as Explorer shows it.
QString versionString(const QByteArray &info, const QString &name)
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    void *value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(info.constData(), L"\\VarFileInfo\\Translation", &value, &size)
        || size < sizeof(Translation))
        return {};
    const auto *translation = static_cast<const Translation *>(value);
    const QString path = QStringLiteral("\\StringFileInfo\\%1%2\\%3")
                             .arg(translation->language, 4, 16, QLatin1Char('0'))
                             .arg(translation->codePage, 4, 16, QLatin1Char('0'))
                             .arg(name);
    if (!VerQueryValueW(
            info.constData(), reinterpret_cast<const wchar_t *>(path.utf16()), &value, &size)
        || size == 0)
        return {};
    return QString::fromWCharArray(static_cast<const wchar_t *>(value), int(size) - 1);
}

} // namespace

class TestWindowsResources : public QObject
{
    Q_OBJECT

private slots:
    void manifest_data();
    void manifest();
    void version_data();
    void version();
    void icon();
};

void TestWindowsResources::manifest_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("attribute");
    QTest::addColumn<QString>("expected");

    QTest::newRow("per-monitor dpi, older systems") << ""
                                                    << "dpiAware"
                                                    << ""
                                                    << "True/PM";
    QTest::newRow("per-monitor dpi") << ""
                                     << "dpiAwareness"
                                     << ""
                                     << "PerMonitorV2, PerMonitor";
    QTest::newRow("no elevation") << ""
                                  << "requestedExecutionLevel"
                                  << "level"
                                  << "asInvoker";
    QTest::newRow("no ui access") << ""
                                  << "requestedExecutionLevel"
                                  << "uiAccess"
                                  << "false";
    QTest::newRow("own version") << "assembly"
                                 << "assemblyIdentity"
                                 << "version" << ZP_VERSION;
    QTest::newRow("common controls") << "dependentAssembly"
                                     << "assemblyIdentity"
                                     << "name"
                                     << "Microsoft.Windows.Common-Controls";
    QTest::newRow("common controls 6") << "dependentAssembly"
                                       << "assemblyIdentity"
                                       << "version"
                                       << "6.0.0.0";
}

void TestWindowsResources::manifest()
{
    QFETCH(QString, parent);
    QFETCH(QString, element);
    QFETCH(QString, attribute);
    QFETCH(QString, expected);

    const QByteArray xml = ::manifest();
    QVERIFY2(!xml.isEmpty(), "zp-client.exe has no manifest resource");
    QCOMPARE(manifestValue(xml, parent, element, attribute), expected);
}

void TestWindowsResources::version_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("file version") << "FileVersion";
    QTest::newRow("product version") << "ProductVersion";
}

// Both the numbers Windows compares and the texts Explorer shows are the project's version.
void TestWindowsResources::version()
{
    QFETCH(QString, name);

    const QByteArray info = versionInfo();
    QVERIFY2(!info.isEmpty(), "zp-client.exe has no version resource");
    QCOMPARE(fixedVersion(info, name == u"ProductVersion"), QStringLiteral(ZP_VERSION));
    QCOMPARE(versionString(info, name), QStringLiteral(ZP_VERSION));
}

// Explorer shows the keypad's own icon, in each size it asks for; the largest picture is the
// artwork's bitmap itself.
void TestWindowsResources::icon()
{
#ifdef ZP_HAS_ICON
    const QMap<int, QByteArray> pictures = iconPictures();
    QCOMPARE(pictures.keys(), (QList<int> {16, 20, 24, 32, 40, 48, 64, 256}));
    for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
        QVERIFY2(!it.value().isEmpty(), qPrintable(QString::number(it.key())));
    QFile artwork(QStringLiteral(ZP_ICON_SOURCE));
    QVERIFY(artwork.open(QIODevice::ReadOnly));
    QCOMPARE(pictures.value(256), artwork.readAll());
#else
    QSKIP("built without icotool or ImageMagick, so without an icon");
#endif
}

QTEST_GUILESS_MAIN(TestWindowsResources)
#include "tst_windowsresources.moc"
