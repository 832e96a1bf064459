#pragma once
// The folders the program works in: beside the program, and in the user's documents.

#include <QString>

// Folder of the running program, ending with a separator.
QString ProgramFolder();
// Lets a test or tool that runs from elsewhere point at a laid-out program folder.
void SetProgramFolder(const QString& folder);

QString SkinFolder();
QString MediaLibraryFolder();
QString CatalogueFile();

// "Larkspire/Quaverly" in the user's documents folder, and its "Output" and "Temp".
QString DocumentsBase();
QString DefaultOutputFolder();

// Creates the documents base and its output folder one level at a time; true when
// the output folder exists afterwards.
bool CreateDocumentFolders();

// The temporary folder (no trailing separator), created when missing; the program
// folder when it cannot be.
QString PrepareTempFolder();
