#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tunvale::catalog {

struct Picture {
    std::vector<std::uint8_t> data;
    std::int32_t type = 0;        // ID3v2 / FLAC picture type, 3 = front cover
    std::string mimeType;         // 8-bit text, at most 31 characters
    std::string description;      // 8-bit text, at most 63 characters
};

// The attached pictures of one file: at most 20, owned by the table.
class PictureTable {
public:
    static constexpr std::size_t kMaxPictures = 20;
    static constexpr std::size_t kMaxMimeType = 31;
    static constexpr std::size_t kMaxDescription = 63;

    // Appends a picture (MIME type and description cut to their limits); false when full.
    bool add(Picture picture);
    void clear() { m_pictures.clear(); }

    std::int32_t count() const { return static_cast<std::int32_t>(m_pictures.size()); }
    bool empty() const { return m_pictures.empty(); }
    const Picture &at(std::size_t index) const { return m_pictures.at(index); }
    const std::vector<Picture> &pictures() const { return m_pictures; }

private:
    std::vector<Picture> m_pictures;
};

} // namespace tunvale::catalog
