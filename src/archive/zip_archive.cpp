#include "archive/zip_archive.h"

#include <zip.h>

#include "platform/file_bytes.h"
#include "platform/names.h"

namespace {

std::string ZipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

zip_t* OpenZip(const Archive& archive, std::string& error)
{
    int code = 0;
    if (archive.bytes.empty()) {
        zip_t* zip = zip_open(archive.path.c_str(), ZIP_RDONLY, &code);
        if (!zip)
            error = "does not open as a zip: " + ZipErrorText(code);
        return zip;
    }
    zip_error_t sourceError;
    zip_error_init(&sourceError);
    zip_source_t* source = zip_source_buffer_create(archive.bytes.data(), archive.bytes.size(), 0, &sourceError);
    zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &sourceError) : nullptr;
    if (!zip) {
        error = std::string("does not open as a zip: ") + zip_error_strerror(&sourceError);
        if (source)
            zip_source_free(source);
    }
    zip_error_fini(&sourceError);
    return zip;
}

bool ReadEntries(Archive& archive, std::string& error)
{
    zip_int64_t count = zip_get_num_entries(archive.zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive.zip.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
            error = "entry " + std::to_string(i) + " cannot be read";
            return false;
        }
        std::string name = stat.name;
        if (!name.empty() && name.back() == '/')
            continue;  // a folder
        std::string unsafe;
        if (!CheckMemberName(name, unsafe))
            continue;  // a name no path can reach is left out (OpenArena's mp-pak0.pk3 holds "../CREDITS")
        name = AsText(name);
        if (stat.size > kMaxInputFileSize) {
            error = "member \"" + name + "\" claims " + std::to_string(stat.size) +
                    " bytes unpacked, more than 256 MiB";
            return false;
        }
        archive.entries.push_back({name, stat.size, 0, static_cast<uint64_t>(i)});
    }
    return true;
}

}  // namespace

void ZipCloser::operator()(zip* zip) const
{
    zip_discard(zip);
}

bool OpenZipDirectory(Archive& archive, std::string& error)
{
    archive.zip.reset(OpenZip(archive, error));
    if (archive.zip && ReadEntries(archive, error))
        return true;
    archive.zip.reset();
    archive.entries.clear();
    return false;
}

bool ReadZipMember(const Archive& archive, const ArchiveEntry& entry, std::vector<uint8_t>& bytes,
                   std::string& error)
{
    zip_file_t* file = zip_fopen_index(archive.zip.get(), entry.index, 0);
    if (!file) {
        error = "member \"" + entry.name + "\" cannot be opened: " + zip_strerror(archive.zip.get());
        return false;
    }
    bytes.resize(entry.size);
    zip_int64_t read = entry.size ? zip_fread(file, bytes.data(), entry.size) : 0;
    uint8_t extra;
    // One more read: libzip checks the CRC at the end, and a member must not hold more than it claims.
    zip_int64_t more = read == static_cast<zip_int64_t>(entry.size) ? zip_fread(file, &extra, 1) : -1;
    if (read != static_cast<zip_int64_t>(entry.size) || more != 0) {
        error = "member \"" + entry.name + "\" cannot be read: " +
                (more > 0 ? std::string("it holds more than its size") : std::string(zip_file_strerror(file)));
        zip_fclose(file);
        bytes.clear();
        return false;
    }
    zip_fclose(file);
    return true;
}
