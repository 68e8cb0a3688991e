// Layout of hostile or careless texts: one item holding N characters without
// a break opportunity ("x" repeated), the same in CJK, and N short words,
// broken into lines and placed for a 600 dpi page as printing does. Prints the
// time of each; the figures should grow linearly with N.
//
// Usage: bench_longtext [N...]   (default: 100000 300000 1000000)
#include "render/ItemLayout.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace zentra;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    render::installFontSubstitutions();

    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty())
        sizes = {100000, 300000, 1000000};

    TemplateItem item;
    item.id = 100;
    item.left = 10;
    item.top = 10;
    item.right = 310;
    item.bottom = 40;
    render::PrintGeometry g;
    g.printer = {600, 600};

    for (long n : sizes) {
        const struct {
            const char *name;
            QString text;
        } cases[] = {
            {"unbroken latin", QString(n, QLatin1Char('x'))},
            {"unbroken cjk", QString(n, QChar(0x4E2D))},
            {"short words", QStringLiteral("ab ").repeated(n / 3)},
        };
        for (const auto &c : cases) {
            QElapsedTimer t;
            t.start();
            const render::PlacedItem placed = render::placeItem(item, c.text, g);
            std::printf("%8ld chars  %-15s %6zu lines  %8.1f ms\n", n, c.name, placed.lines.size(),
                        t.nsecsElapsed() / 1e6);
        }
    }
    return 0;
}
