#include "contractproject.h"

#include "owsim.h"

bool makeStandInContractProject(ContractProject* project, QString* error)
{
    const std::string home = owsim::homePath();
    std::string message;
    project->home = QString::fromStdString(home);
    project->district = QStringLiteral("Contract");
    project->project = QStringLiteral("CONTRACT");
    if (!owsim::createHome(home, &message) || !owsim::createDistrict(home, "Contract", false, &message) ||
        (!owsim::projectExists(home, "Contract", "CONTRACT") &&
         !owsim::createProject(home, "Contract", "CONTRACT", owsim::MeasurementSystem::Metric, &message))) {
        *error = QString::fromStdString(message);
        return false;
    }
    return true;
}
