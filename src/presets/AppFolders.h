#pragma once

#include <juce_core/juce_core.h>

/*  The plug-in's two application folders: the per-user one holds what the
    user changes (banks, the arp library, the MIDI map), the common one what
    the installation provides (pictures and the factory archive). On Linux they
    are ~/.Kestrelway/Quorvane and /var/.Kestrelway/Quorvane. Nothing is cached:
    every call looks the folder up again. */

/** The per-user or the common application folder. A missing folder is created;
    a newly created one is seeded from the factory archive "quorvaneconfig.zip"
    of the common folder. The folder is returned even when creating it failed. */
juce::File getAppFolder (bool common);

/** The per-user "Banks" folder (bank files and the arp library); created when missing. */
juce::File getBanksFolder();

/** A picture or other installed file under the common folder's "resources". */
juce::File getResourceFile (const juce::String& relativePath);

/** For the tests only: puts the two vendor folders (the parents of the
    application folders) elsewhere. Null files restore the system's folders. */
void setVendorFoldersForTesting (const juce::File& perUser, const juce::File& common);
