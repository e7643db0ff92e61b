# Configuration Manager configuration item, remediation script of the setting
# that configmgr-discovery.ps1 discovers: quillmerec mends each tool key with a
# finding. Configuration Manager reports a remediation as failed only when the
# script throws, whatever its exit code: so a finding left after the repair
# (1) throws, as does a program that is missing, cannot run or fails.
$Stock = $true  # a line that is none of the tool's stock lines is a finding
$Expect = @()   # the organisation's own lines: 'TOOL=LINE' or 'TOOL=off'

[Console]::OutputEncoding = [Text.Encoding]::UTF8

# The MSI's folder comes first: a copy beside the script or one copied by hand
# may be older than the package the fleet was given. The MSI writes the 64-bit
# view, which a 32-bit PowerShell (Intune's default) must ask for by name.
$folders = @()
try {
  $key = [Microsoft.Win32.RegistryKey]::OpenBaseKey('LocalMachine', 'Registry64').OpenSubKey('SOFTWARE\Quillmere')
  if ($key) { $folders += $key.GetValue('InstallDir') }
} catch { } # no registry at all
$folders += $PSScriptRoot
if ($env:ProgramW6432) { $folders += Join-Path $env:ProgramW6432 'Quillmere' }
$places = @($folders | Where-Object { $_ } | ForEach-Object { Join-Path $_ 'quillmerec.exe' })
$program = $places | Where-Object { Test-Path -LiteralPath $_ -PathType Leaf } | Select-Object -First 1
# A missing program must not pass for a repaired or compliant machine.
if (-not $program) { throw "quillmerec.exe not found: $($places -join '; ')" }

# Windows PowerShell 5.1 hands a native program its arguments without escaping
# their double quotes (a quoted path in an expected line); PowerShell 7 does.
function Quote([string] $text) {
  if ($PSVersionTable.PSVersion.Major -ge 7) { return $text }
  '"' + ($text -replace '(\\*)"', '$1$1\"' -replace '(\\+)$', '$1$1') + '"'
}
$arguments = @('repair')
if ($Stock) { $arguments += '/stock' }
foreach ($entry in $Expect) { $arguments += '/expect', (Quote $entry) }

# A program that cannot start (blocked by AppLocker or WDAC) stops the call,
# where $LASTEXITCODE would keep its old value.
try { $lines = @(& $program $arguments); $code = $LASTEXITCODE }
catch {
  # The inner exception holds the system's reason without PowerShell's position.
  $reason = if ($_.Exception.InnerException) { $_.Exception.InnerException.Message } else { $_.Exception.Message }
  throw "quillmerec.exe could not run: $program ($reason)"
}
$last = $lines | Select-Object -Last 1
if ($code -eq 1) { throw "Findings left after the repair: $last" }
if ($code -ge 2) { throw "quillmerec.exe failed with exit code ${code}: $last" }
$last
exit 0
