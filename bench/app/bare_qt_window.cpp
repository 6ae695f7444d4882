// The yardstick for start-up time and memory: a plain Qt main window of the
// editor's size that reads the same file into memory, and nothing else.
//
// Usage: bare_qt_window FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <memory>

int main(int argc, char** argv) {
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    std::unique_ptr<unsigned char[]> bytes;
    ssize_t size = 0;
    if (argc > 1) {
        const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0) {
            bytes.reset(new unsigned char[static_cast<size_t>(st.st_size) + 1]);
            size = ::read(fd, bytes.get(), static_cast<size_t>(st.st_size));
        }
        if (fd >= 0) ::close(fd);
    }
    QMainWindow window;
    window.setWindowTitle("bare Qt window");
    window.menuBar()->addMenu("&File");
    window.setCentralWidget(new QLabel(QString("%1 bytes").arg(size)));
    window.resize(625, 470);
    window.show();
    return app.exec();
}
