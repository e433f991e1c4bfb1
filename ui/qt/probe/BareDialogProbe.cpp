// A bare Qt window of a given size that ends the process once it has been
// painted for the first time: the baseline of the time-to-visible-dialog
// benchmark.
#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdlib>

namespace {

class FirstPaintExits : public QWidget {
public:
    FirstPaintExits() : QWidget(nullptr, Qt::Dialog) {}

protected:
    // An update request paints the window; once it is handled the window
    // has been painted whole, as the dialog's probe waits for.
    bool event(QEvent* e) override
    {
        const bool handled = QWidget::event(e);
        if (e->type() == QEvent::UpdateRequest)
            std::_Exit(0);
        return handled;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    FirstPaintExits w;
    w.resize(argc > 2 ? std::atoi(argv[1]) : 532, argc > 2 ? std::atoi(argv[2]) : 413);
    w.show();
    return app.exec() == 0 ? 3 : 4;  // never painted
}
