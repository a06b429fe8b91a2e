// vaporel-view: opens a window and shows what the renderer draws (see
// ViewerScene.h). Escape or the close box ends it.
//
//   vaporel-view [--images FOLDER] [--screenshot FILE.png]
//
// With --screenshot it draws one frame, writes it as a PNG and ends.

#include "ViewerScene.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/PictureWriter.h"
#include "platform/WindowSystem.h"

#include <cstdio>
#include <string>

namespace {

constexpr const char* ViewerWindowClass = "VaporelView";

struct Options {
    std::string ImageFolder = ExeDir + "images/";
    std::string ScreenshotFile; // empty: run until closed
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (i + 1 >= argc)
            return false;
        if (argument == "--images")
            options.ImageFolder = std::string(argv[++i]) + "/";
        else if (argument == "--screenshot")
            options.ScreenshotFile = argv[++i];
        else
            return false;
    }
    return true;
}

platform::MessageResult ViewerWindowProc(platform::WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == platform::WM_KEYDOWN && wParam == platform::VK_ESCAPE) {
        platform::DestroyWindow(window);
        return 0;
    }
    if (message == platform::WM_DESTROY)
        platform::PostQuitMessage(0);
    return platform::DefaultWindowProc(window, message, wParam, lParam);
}

platform::WindowHandle OpenWindow() {
    if (!platform::RegisterWindowClass({ViewerWindowClass, 0, &ViewerWindowProc, false}))
        throw Exception("the viewer's window class cannot be registered");
    platform::CreateWindowParams params;
    params.ClassName = ViewerWindowClass;
    params.Caption = "vaporel-view";
    params.Bounds = {0, 0, TViewerScene::Width, TViewerScene::Height};
    platform::WindowHandle window = platform::CreateWindow(params);
    if (window == nullptr)
        throw Exception("no window can be opened (is there a display?)");
    platform::ShowWindow(window, true);
    return window;
}

// Redraws after every batch of messages until the window is closed.
void RunUntilClosed(TOpenGLRenderer& renderer, TViewerScene& scene) {
    for (;;) {
        platform::WindowMessage message;
        while (platform::PeekMessage(message)) {
            if (message.Message == platform::WM_QUIT)
                return;
            platform::DispatchMessage(message);
        }
        scene.Draw();
        renderer.Present();
        platform::WaitMessage();
    }
}

int Run(const Options& options) {
    platform::WindowHandle window = OpenWindow();
    TOpenGLRenderer renderer(window);
    renderer.SetSize(TViewerScene::Width, TViewerScene::Height);
    EnableVSync();
    renderer.Begin2D();
    TViewerScene scene(renderer, options.ImageFolder);
    if (options.ScreenshotFile.empty()) {
        RunUntilClosed(renderer, scene);
        return 0;
    }
    scene.Draw();
    platform::SavePng(options.ScreenshotFile, ReadFrame(TViewerScene::Width, TViewerScene::Height));
    renderer.Present();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: vaporel-view [--images FOLDER] [--screenshot FILE.png]\n");
        return 2;
    }
    try {
        return Run(options);
    } catch (const Exception& error) {
        std::fprintf(stderr, "vaporel-view: %s\n", error.what());
        return 1;
    }
}
