# Intune Remediations, detection script: quillmerec checks the three tool keys.
# Exit 1 (a finding) has Intune run the remediation script. Intune keeps only
# the last line of the output, so that line is the verdict, the program's
# "Error N: text", or why the program could not be run.
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
# A missing program is not a healthy machine: Intune would count exit 0 as one.
if (-not $program) { "quillmerec.exe not found: $($places -join '; ')"; exit 1 }

# Windows PowerShell 5.1 hands a native program its arguments without escaping
# their double quotes (a quoted path in an expected line); PowerShell 7 does.
function Quote([string] $text) {
  if ($PSVersionTable.PSVersion.Major -ge 7) { return $text }
  '"' + ($text -replace '(\\*)"', '$1$1\"' -replace '(\\+)$', '$1$1') + '"'
}
$arguments = @('check')
if ($Stock) { $arguments += '/stock' }
foreach ($entry in $Expect) { $arguments += '/expect', (Quote $entry) }

# A program that cannot start (blocked by AppLocker or WDAC) stops the call,
# where $LASTEXITCODE would keep its old value.
try { $lines = @(& $program $arguments); $code = $LASTEXITCODE }
catch {
  # The inner exception holds the system's reason without PowerShell's position.
  $reason = if ($_.Exception.InnerException) { $_.Exception.InnerException.Message } else { $_.Exception.Message }
  "quillmerec.exe could not run: $program ($reason)"; exit 1
}
$lines
if ($code -ge 2 -and -not $lines) { "quillmerec.exe failed with exit code $code" }
exit $code
