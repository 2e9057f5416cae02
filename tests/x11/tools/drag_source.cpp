// A drag source like a file manager's: a small window at the given place that starts a drag of the given
// files (text/uri-list) when pressed. Used by the X server tests: drag_source X Y PATH...
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

constexpr int kGiveUpMs = 30000;
constexpr int kServeAfterDropMs = 3000;

class Source : public QWidget {
  public:
    explicit Source(QList<QUrl> urls) : urls_(std::move(urls)) {}

  protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction);
        // The target asks for the dropped data after the drag ends here: stay until it had time to.
        QTimer::singleShot(kServeAfterDropMs, qApp, &QCoreApplication::quit);
    }

  private:
    QList<QUrl> urls_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return 2;
    QList<QUrl> urls;
    for (qsizetype i = 3; i < args.size(); ++i)
        urls << QUrl::fromLocalFile(args.at(i));
    Source source(urls);
    source.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    source.setGeometry(args.at(1).toInt(), args.at(2).toInt(), 80, 60);
    source.setWindowTitle("drag source");
    source.show();
    QTimer::singleShot(kGiveUpMs, &app, &QCoreApplication::quit);
    return app.exec();
}
