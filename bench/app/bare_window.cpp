#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

// The floor of memory_bench: a Qt Widgets window of the program's size with
// one label of Chinese text, so the same CJK font is loaded.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(308, 542);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("微博热搜 1 雪地里的冬日"), &window));
    window.show();
    return app.exec();
}
