// A bare Qt window of a given client size that ends the process when it is
// first painted: the baseline of the time-to-visible-dialog benchmark.
#include <QApplication>
#include <QWidget>
#include <cstdlib>

namespace {

class FirstPaintExits : public QWidget {
public:
    FirstPaintExits() : QWidget(nullptr, Qt::Dialog) {}

protected:
    void paintEvent(QPaintEvent*) override { std::_Exit(0); }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FirstPaintExits w;
    w.resize(argc > 2 ? std::atoi(argv[1]) : 526, argc > 2 ? std::atoi(argv[2]) : 388);
    w.show();
    return app.exec() == 0 ? 3 : 4;  // never painted
}
