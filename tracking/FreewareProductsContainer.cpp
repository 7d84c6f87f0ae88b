#include "tracking/FreewareProductsContainer.h"

CFreewareProductsContainer::CFreewareProductsContainer() {
    static const char* const kNames[] = {
        "Freeware - InboxSorter",      "Freeware - CalendarBridge",  "Freeware - ContactCleaner",
        "Freeware - MailArchiver",     "Freeware - AttachmentSaver", "Freeware - DuplicateFinder",
        "Freeware - SignatureBuilder", "Freeware - FolderSync",      "Freeware - ReminderBoard",
        "Freeware - NoteKeeper",       "Freeware - TaskPlanner",     "Freeware - RuleManager",
        "Freeware - MailMerge",        "Freeware - SpamShield",      "Freeware - OutlookTolvane",
        "Freeware - BackupWizard",     "Freeware - PstRepair",       "Freeware - AddressExport",
        "Freeware - QuickReply",       "Freeware - MeetingTimer",    "Freeware - MailStatistics",
    };
    int id = ProductInboxSorter;
    for (const char* name : kNames)
        (*this)[static_cast<TagProductID>(id++)] = name;
}

CFreewareProductsContainer::~CFreewareProductsContainer() = default;

std::string CFreewareProductsContainer::GetName(TagProductID id) const {
    const_iterator found = find(id);
    return found == end() ? std::string() : found->second;
}
