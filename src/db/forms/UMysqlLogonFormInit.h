#pragma once

// Registers the window-mode logon dialog of MySQL under its qualified name
// "UMysqlLogonForm.TMysqlLogonForm", and removes it again.
void InitMysqlLogonForms();
void DoneMysqlLogonForms();
