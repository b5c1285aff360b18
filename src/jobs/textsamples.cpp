// "Attributes" and "Density" on the General page: how text looks in each print mode and at each
// darkness level.
#include "app/mainwindow.h"

#include "jobs/jobstreams.h"

void MainWindow::on_pushButtonAttributes_released()
{
    runJob(Jobs::attributesJob);
}

void MainWindow::on_pushButtonDensity_released()
{
    runJob(Jobs::densityJob);
}
