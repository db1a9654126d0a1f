// tsmovie: builds movies from their text descriptions, checks movie files, and renders a frame of a
// movie to a bitmap with the player's own renderer (so a skin's screenshot shows exactly what the
// player draws). A Windows program; the build runs it under Wine.
//
//   tsmovie build SOURCE.txt OUT.swf
//   tsmovie check MOVIE
//   tsmovie render MOVIE OUT.bmp [--size WxH] [--frame N | --rest]
#include "movie/movie_file.h"
#include "movie/movie_render.h"
#include "movie/movie_timeline.h"
#include "movie/movie_writer.h"
#include "tools/movie/movie_source.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using tsln::movie::Movie;
using tsln::movie::Result;

constexpr int kInputError = 1;
constexpr int kUsage = 2;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const void* data, size_t size) {
    // Written beside the target and renamed over it, so that a failed run leaves no half file.
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            std::remove(temp.c_str());
            throw std::runtime_error("cannot write " + path);
        }
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

Movie Load(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFile(path);
    Movie movie;
    const Result result = tsln::movie::Parse(bytes.data(), bytes.size(), movie);
    if (result != Result::kOk) throw std::runtime_error(path + ": " + tsln::movie::ResultText(result));
    return movie;
}

void PrintSummary(const std::string& path, const Movie& m, size_t bytes) {
    std::printf("%s: %u x %u, %u frames at %u fps, %u images, %u sounds, %u items, %u buttons, %u bytes\n",
                path.c_str(), m.width, m.height, m.frameCount, m.frameRate, unsigned(m.images.size()),
                unsigned(m.sounds.size()), unsigned(m.items.size()), unsigned(m.buttons.size()),
                unsigned(bytes));
}

int Build(const std::string& source, const std::string& output) {
    const std::vector<uint8_t> text = ReadFile(source);
    const std::string folder = FolderOf(source);
    const Movie movie =
        tsln::moviec::Compile(std::string(text.begin(), text.end()), source,
                              [&](const std::string& name) { return ReadFile(folder + name); });
    const std::vector<uint8_t> bytes = tsln::movie::Serialize(movie);
    // What is written is what the player will accept.
    Movie check;
    const Result result = tsln::movie::Parse(bytes.data(), bytes.size(), check);
    if (result != Result::kOk)
        throw std::runtime_error(source + ": the movie is refused: " + tsln::movie::ResultText(result));
    WriteFile(output, bytes.data(), bytes.size());
    PrintSummary(output, check, bytes.size());
    return 0;
}

// A 24-bit bottom-up Windows bitmap file of top-down 32-bit pixels.
std::vector<uint8_t> BitmapFile(const uint8_t* pixels, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(stride) * height;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = imageSize;
    std::vector<uint8_t> out(file.bfSize, 0);
    std::memcpy(out.data(), &file, sizeof file);
    std::memcpy(out.data() + sizeof file, &info, sizeof info);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = pixels + static_cast<size_t>(height - 1 - y) * width * 4;
        uint8_t* dst = out.data() + file.bfOffBits + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            std::memcpy(dst + x * 3, src + x * 4, 3);
    }
    return out;
}

int Render(const std::vector<std::string>& args) {
    const Movie movie = Load(args[0]);
    int width = movie.width, height = movie.height, frame = 1;
    bool rest = false;
    for (size_t i = 2; i < args.size(); ++i) {
        const bool valued = i + 1 < args.size();
        if (args[i] == "--rest") {
            rest = true;
        } else if (args[i] == "--frame" && valued) {
            frame = std::atoi(args[++i].c_str());
            if (frame < 1 || frame > movie.frameCount) throw std::runtime_error("no frame " + args[i]);
        } else if (args[i] == "--size" && valued) {
            const std::string& size = args[++i];
            if (std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2 || width < 1 || height < 1 ||
                width > 8192 || height > 8192)
                throw std::invalid_argument("render: a size is WIDTHxHEIGHT, 1 to 8192 each: " + size);
        } else {
            throw std::invalid_argument("render: unexpected '" + args[i] + "'");
        }
    }
    if (rest) {
        // As the program starts a movie: frame 1, then play until it stops (movies do not loop).
        tsln::movie::Timeline timeline;
        timeline.SetMovie(&movie);
        timeline.GotoFrame(1);
        timeline.Play();
        for (int ticks = 0; timeline.Playing() && ticks <= movie.frameCount; ++ticks)
            timeline.Tick();
        frame = timeline.CurrentFrame();
    }
    void* bits = nullptr;
    tsln::unique_gdi bitmap = tsln::movie::CreateDib(width, height, &bits);
    tsln::unique_hdc dc(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc)
        throw std::runtime_error("cannot create a " + std::to_string(width) + " x " + std::to_string(height) +
                                 " bitmap");
    HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
    tsln::movie::Renderer renderer;
    renderer.SetMovie(&movie);
    renderer.Draw(dc.get(), width, height, frame, tsln::movie::ButtonStates());
    GdiFlush();
    const std::vector<uint8_t> file = BitmapFile(static_cast<const uint8_t*>(bits), width, height);
    SelectObject(dc.get(), previous);
    WriteFile(args[1], file.data(), file.size());
    std::printf("%s: frame %d at %d x %d\n", args[1].c_str(), frame, width, height);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: tsmovie build SOURCE.txt OUT.swf\n"
                         "       tsmovie check MOVIE\n"
                         "       tsmovie render MOVIE OUT.bmp [--size WxH] [--frame N | --rest]\n");
    return kUsage;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 1 ? 2 : argc), argv + argc);
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "build" && args.size() == 2) return Build(args[0], args[1]);
        if (command == "check" && args.size() == 1) {
            const Movie movie = Load(args[0]);
            PrintSummary(args[0], movie, ReadFile(args[0]).size());
            return 0;
        }
        if (command == "render" && args.size() >= 2) return Render(args);
        return Usage();
    } catch (const std::invalid_argument& e) {
        std::fprintf(stderr, "tsmovie: %s\n", e.what());
        return Usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tsmovie: %s\n", e.what());
        return kInputError;
    }
}
