#include "jobs/save_list_job.h"

#include "platform/file_replacement.h"

namespace pitbox {

Result<void> saveListJob(Catalogue::ConstEntries tracks, ListFormat format, const std::string& path,
                         const GroupOf& groupOf) {
    return platform::replaceFile(path, exportListAs(tracks, format, groupOf));
}

}  // namespace pitbox
