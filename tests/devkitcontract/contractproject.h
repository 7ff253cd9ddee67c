#pragma once

// Where the DevKit contract suite works: a project named by the environment
// (OWHOME, DEVKIT_CONTRACT_DISTRICT, DEVKIT_CONTRACT_PROJECT), or, when none
// is named and the DevKit stand-in is built, a new project the stand-in's
// administration makes. The suite itself includes owdevkit.h only.

#include <QString>

struct ContractProject
{
    QString home;     ///< OpenWorks home ($OWHOME); empty: the DevKit's default
    QString district;
    QString project;
};

/// Makes a district and a project in the home $OWHOME names (a temporary
/// folder of the test) with the stand-in's administration calls. Defined only
/// in the fixture library linked when the stand-in is built.
bool makeStandInContractProject(ContractProject* project, QString* error);
