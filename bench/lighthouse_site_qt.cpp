// Writes the gallery site that bench/lighthouse.sh measures: the folder given,
// whose group folders the script has filled with photos, becomes a site with
// the program's default parameters, its thumbnails made as the program makes
// them. Exit status 0 when the site was written whole.
#include <QApplication>

#include <cstdio>
#include <string>

#include "qt/qt_platform.h"
#include "site/site_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SITE_FOLDER\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    sb::Parametri_Sito p = sb::defaultParameters(SB_APP_DIR);
    p.Cartella_Sito = std::string(argv[1]) + "/";
    sbqt::QtPlatform platform;
    const sb::SiteReport report =
        sb::writeSite({p, "Fotografie", "Viaggi, citt\xC3\xA0 e giardini: duecento fotografie", SB_APP_DIR, SB_APP_DIR, &platform});
    if (!report.complete()) {
        std::fprintf(stderr, "%s\n", sb::siteMessage(report).c_str());
        return 1;
    }
    return 0;
}
