#pragma once
// Registry key names of the maker's free products, by product identifier.
#include <map>
#include <string>

enum TagProductID {
    ProductInboxSorter = 0x10001,
    ProductCalendarBridge,
    ProductContactCleaner,
    ProductMailArchiver,
    ProductAttachmentSaver,
    ProductDuplicateFinder,
    ProductSignatureBuilder,
    ProductFolderSync,
    ProductReminderBoard,
    ProductNoteKeeper,
    ProductTaskPlanner,
    ProductRuleManager,
    ProductMailMerge,
    ProductSpamShield,
    ProductOutlookTolvane, // 0x1000F
    ProductBackupWizard,
    ProductPstRepair,
    ProductAddressExport,
    ProductQuickReply,
    ProductMeetingTimer,
    ProductMailStatistics, // 0x10015
};

class CFreewareProductsContainer : public std::map<TagProductID, std::string> {
public:
    CFreewareProductsContainer();
    virtual ~CFreewareProductsContainer();

    // The key name, or an empty text for an identifier not in the table.
    std::string GetName(TagProductID id) const;
};
