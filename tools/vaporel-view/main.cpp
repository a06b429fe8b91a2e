// vaporel-view: opens a window and shows what the renderer draws (see
// ViewerScene.h). Escape or the close box ends it. --help tells how to call it.

#include "ViewerScene.h"

#include "lib/Z5UtilsUnit.h"
#include "platform/PictureWriter.h"
#include "platform/WindowSystem.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr const char* ViewerWindowClass = "VaporelView";

constexpr const char* Usage =
    "usage: vaporel-view [--images FOLDER] [--screenshot FILE.png] [--help] [--version]\n"
    "Opens a window showing what the game's renderer draws: rectangles, the small\n"
    "pictures of the game, a line of bitmap text and a word in the outline font.\n"
    "Escape or the close box ends it.\n"
    "  --images FOLDER       the pictures to show (default: the game's images/)\n"
    "  --screenshot FILE.png draw one frame, write it as a PNG and end\n"
    "  --help                print this text\n"
    "  --version             print the version\n";

struct Options {
    std::string ImageFolder = DataDir + "images/";
    std::string ScreenshotFile; // empty: run until closed
    bool Help = false;
    bool Version = false;
};

// A command line that cannot be followed; the text names the culprit.
class UsageError : public Exception {
public:
    using Exception::Exception;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "--version") {
            (argument == "--help" ? options.Help : options.Version) = true;
            continue;
        }
        if (argument != "--images" && argument != "--screenshot")
            throw UsageError("unknown option " + argument);
        if (i + 1 >= argc)
            throw UsageError(argument + " needs a value");
        const std::string value = argv[++i];
        if (argument == "--images")
            options.ImageFolder = value + "/";
        else
            options.ScreenshotFile = value;
    }
    return options;
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
        throw Exception(platform::DisplayFound()
                            ? "no window can be opened"
                            : "no display was found (is DISPLAY or WAYLAND_DISPLAY set?)");
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
    if (!std::filesystem::is_directory(options.ImageFolder))
        throw Exception("the picture folder " + options.ImageFolder + " does not exist");
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
    try {
        const Options options = ParseOptions(argc, argv);
        if (options.Help || options.Version) {
            std::fputs(options.Help ? Usage : VersionText("vaporel-view").c_str(), stdout);
            return 0;
        }
        return Run(options);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vaporel-view: %s (vaporel-view --help lists the options)\n", error.what());
        return 2;
    } catch (const Exception& error) {
        std::fprintf(stderr, "vaporel-view: %s\n", error.what());
        return 1;
    }
}
