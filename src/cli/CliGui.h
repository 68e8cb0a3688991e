#pragma once

#include "render/ItemLayout.h"

#include <memory>

class QGuiApplication;
class QTemporaryDir;

namespace zentra::cli {

// The application object painting needs; it lives while a command runs.
class Gui {
public:
    Gui();
    ~Gui();
    Gui(const Gui &) = delete;
    Gui &operator=(const Gui &) = delete;

    render::Resolution screen;

private:
    int argc_ = 1;
    char name_[11] = "zentra-cli";
    char *argv_[2] = {name_, nullptr};
    std::unique_ptr<QTemporaryDir> runtimeDir_; // outlives the application object
    std::unique_ptr<QGuiApplication> app_;
};

}
