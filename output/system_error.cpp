#include "output/system_error.h"

#include "output/file_copy.h"

#include <cerrno>

namespace tunvale::output {

int systemErrorCode(int errorNumber, ErrorSide side)
{
    using namespace copy_error;
    switch (errorNumber) {
    case ENOENT:
        return side == ErrorSide::Source ? kFileNotFound : kPathNotFound;
    case ENOTDIR:
        return kPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return kAccessDenied;
    case EEXIST:
        return kFileExists;
    case ENAMETOOLONG:
        return kFileNameTooLong;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return kDiskFull;
    case EINVAL:
    case EILSEQ:
        return kInvalidName;
#ifdef ELOOP
    case ELOOP:
        return kCannotResolveName;
#endif
    case EMFILE:
    case ENFILE:
        return kTooManyOpenFiles;
    case ENOMEM:
        return kNotEnoughMemory;
    case EFBIG:
        return kFileTooLarge;
    case EIO:
        return kIoDevice;
    default:
        return kGeneralFailure;
    }
}

std::u16string systemErrorReason(int code)
{
    using namespace copy_error;
    switch (code) {
    case kTooManyOpenFiles: return u"Too many open files";
    case kFileExists:
    case kAlreadyExists: return u"File exists";
    case kDiskFull: return u"No space left on device";
    case kInvalidName: return u"The file name is not valid";
    case kFileNameTooLong: return u"File name too long";
    case kFileTooLarge: return u"File too large";
    case kIoDevice: return u"Input/output error";
    case kCannotResolveName: return u"Too many levels of symbolic links";
    // 8 is also the conversion's "no output file", and the others have messages of their own.
    default: return {};
    }
}

} // namespace tunvale::output
