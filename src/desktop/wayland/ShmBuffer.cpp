#include "wayland/ShmBuffer.h"

#include "platform/Log.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kestrane {

namespace {
const wl_buffer_listener releaseListener {
    [](void* data, wl_buffer*) { *static_cast<bool*>(data) = false; },
};

int sharedMemoryFile(std::size_t bytes)
{
    const int fd = memfd_create("kestrane-frame", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    if (ftruncate(fd, static_cast<off_t>(bytes)) == 0)
        return fd;
    close(fd);
    return -1;
}
} // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::create(wl_shm* shm, QSize devicePixels, std::uint32_t format)
{
    const int stride = devicePixels.width() * 4;
    const auto bytes = static_cast<std::size_t>(stride) * static_cast<std::size_t>(devicePixels.height());
    const int fd = sharedMemoryFile(bytes);
    void* memory = fd < 0 ? MAP_FAILED : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory == MAP_FAILED) {
        logLine("Kestrane: no shared memory for a frame of " + std::to_string(bytes) + " bytes (" + std::strerror(errno) + ")");
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<std::int32_t>(bytes));
    // Premultiplied ARGB in native byte order: the compositor's ARGB8888, the same bytes.
    static_assert(premultipliedArgb == WL_SHM_FORMAT_ARGB8888);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, devicePixels.width(), devicePixels.height(), stride, format);
    wl_shm_pool_destroy(pool);
    close(fd);
    return std::unique_ptr<ShmBuffer>(new ShmBuffer(buffer, memory, bytes, devicePixels));
}

ShmBuffer::ShmBuffer(wl_buffer* buffer, void* memory, std::size_t bytes, QSize size)
    : buffer_(buffer)
    , memory_(memory)
    , bytes_(bytes)
    , image_(static_cast<uchar*>(memory), size.width(), size.height(), size.width() * 4, QImage::Format_ARGB32_Premultiplied)
{
    wl_buffer_add_listener(buffer_, &releaseListener, &busy_);
}

ShmBuffer::~ShmBuffer()
{
    wl_buffer_destroy(buffer_);
    munmap(memory_, bytes_);
}

} // namespace kestrane
