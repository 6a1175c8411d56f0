// jpeg-floor: the least work a 60 x 60 thumbnail of a JPEG can cost, to measure the thumbnail
// build against. Decodes every .jpg and .jpeg of a folder with libjpeg-turbo alone, at the
// smallest DCT scale (1/8, 1/4, 1/2 or 1) whose output still covers 60 x 60, on two threads that
// each take the next file, and throws the pixels away. `--cover N` covers N x N instead: 128
// for a first visit, whose one decode also makes the 128-pixel cache entry. Prints one line:
//   floor files=N seconds=S files_per_s=F
// The clock covers reading and decoding, not listing the folder.

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

// jpeglib.h uses FILE and size_t without including their headers
#include <jpeglib.h>

namespace {

unsigned Cover = 60;
constexpr int Threads = 2; // as many as the thumbnail build uses here

struct ErrorTrap
{
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// libjpeg's default handler ends the process; this returns to decode() instead.
[[noreturn]] void leave(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

// No C++ object with a destructor lives between setjmp and longjmp here: the caller owns the
// buffers, and jpeg_destroy_decompress releases what libjpeg allocated on either path.
bool decode(const std::vector<unsigned char>& data, std::vector<unsigned char>& row)
{
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.mgr);
    trap.mgr.error_exit = leave;
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    // the fastest settings the library has: anything quicker would skip work
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    cinfo.scale_num = 1;
    for (unsigned denom : {8u, 4u, 2u, 1u}) {
        cinfo.scale_denom = denom;
        jpeg_calc_output_dimensions(&cinfo);
        if (cinfo.output_width >= Cover && cinfo.output_height >= Cover)
            break;
    }
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * size_t(cinfo.output_components);
    JSAMPROW lines[4]; // the most rows libjpeg hands out at once (max_v_samp_factor)
    const int rows = std::min(cinfo.rec_outbuf_height, 4);
    row.resize(stride * size_t(rows));
    for (int i = 0; i < rows; ++i)
        lines[i] = row.data() + stride * size_t(i);
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, lines, JDIMENSION(rows));
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool isJpeg(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".jpg" || ext == ".jpeg";
}

bool readFile(const std::string& path, std::vector<unsigned char>& data)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(f) : -1;
    ok = size >= 0 && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        data.resize(size_t(size));
        ok = std::fread(data.data(), 1, data.size(), f) == data.size();
    }
    std::fclose(f);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--cover") {
        const long cover = std::strtol(argv[2], nullptr, 10);
        if (cover < 1 || cover > 4096) {
            std::fprintf(stderr, "jpeg-floor: --cover takes 1 to 4096\n");
            return 2;
        }
        Cover = unsigned(cover);
        argv += 2;
        argc -= 2;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: jpeg-floor [--cover N] DIR\n");
        return 2;
    }
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1], error))
        if (entry.is_regular_file() && isJpeg(entry.path())) // follows links
            paths.push_back(entry.path().string());
    if (error) {
        std::fprintf(stderr, "jpeg-floor: cannot list %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    std::sort(paths.begin(), paths.end());

    std::atomic<size_t> next{0};
    std::atomic<int> decoded{0}, failed{0};
    auto work = [&] {
        std::vector<unsigned char> data, row; // reused: the floor allocates no more than it must
        for (size_t i; (i = next++) < paths.size();) {
            if (readFile(paths[i], data) && decode(data, row))
                ++decoded;
            else {
                std::fprintf(stderr, "jpeg-floor: cannot decode %s\n", paths[i].c_str());
                ++failed;
            }
        }
    };
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (int t = 1; t < Threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("floor files=%d seconds=%.4f files_per_s=%.0f\n", decoded.load(), seconds,
                seconds > 0 ? decoded / seconds : 0.0);
    return failed > 0 || decoded == 0 ? 1 : 0;
}
