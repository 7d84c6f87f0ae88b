#pragma once
// Outlook's bitness, told by the Windows Installer components Outlook registers.

enum OutlookBitness { OutlookBitness32 = 0, OutlookBitness64 = 1, OutlookBitnessNone = 2 };

class COutlookBitVersion {
public:
    COutlookBitVersion();
    virtual ~COutlookBitVersion();

    // Asks about the 64-bit components first, then the 32-bit ones; stops at the
    // first one present. Returns an OutlookBitness value.
    static int DetectOutlookBitness();

    int m_nBitness;
};
